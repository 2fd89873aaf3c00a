// A machine's link to the host's optional preset bank service.
#pragma once

#include "machine/Mutex.h"

class CBankClient;
class CHost;

// The host's bank service, as far as a client uses it. Status 0 is success.
class CBankServer {
public:
    virtual void Lock() = 0;
    virtual void Release() = 0;
    virtual int ConnectClient(CBankClient* client) = 0;
    virtual int DisconnectClient(CBankClient* client) = 0;

protected:
    ~CBankServer() = default;
};

class CBankClient : public CMutex {
public:
    // Asks the host for its bank server when the host says it has one.
    explicit CBankClient(CHost* host);
    ~CBankClient() override;

    // 0 on success; 1 when connected already or no server is present; else the server's status.
    virtual int ConnectBankServer();
    // 4 when not connected; else the server's status (disconnected either way).
    virtual int DisconnectBankServer();
    virtual bool IsBankServerPresent();
    // Notifications from the bank server; nothing to do in a plain client.
    virtual void OnAddBank(int bank);
    virtual void OnAddBankInfo(int bank, int info);
    virtual void OnAddPreset(int bank, int preset);

private:
    CBankServer* BankServer;
    bool Connected;
    bool ServerPresent;
};
