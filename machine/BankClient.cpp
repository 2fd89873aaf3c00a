#include "machine/BankClient.h"
#include "machine/Host.h"

CBankClient::CBankClient(CHost* host)
    : BankServer(nullptr), Connected(false), ServerPresent(false) {
    if (host && host->Supports(SupportsBankServer) && host->GetBankServer(&BankServer) == 0)
        ServerPresent = true;
}

CBankClient::~CBankClient() {
    if (Connected) DisconnectBankServer();
}

int CBankClient::ConnectBankServer() {
    if (Connected || !ServerPresent || !BankServer) return 1;
    BankServer->Lock();
    const int status = BankServer->ConnectClient(this);
    BankServer->Release();
    if (status == 0) Connected = true;
    return status;
}

int CBankClient::DisconnectBankServer() {
    if (!Connected) return 4;
    BankServer->Lock();
    const int status = BankServer->DisconnectClient(this);
    BankServer->Release();
    Connected = false;
    return status;
}

bool CBankClient::IsBankServerPresent() {
    return ServerPresent;
}

void CBankClient::OnAddBank(int) {}

void CBankClient::OnAddBankInfo(int, int) {}

void CBankClient::OnAddPreset(int, int) {}
