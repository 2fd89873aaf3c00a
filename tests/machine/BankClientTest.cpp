#include "machine/BankClient.h"
#include "support/FakeHost.h"

#include <gtest/gtest.h>

namespace {

class CFakeBankServer : public CBankServer {
public:
    int Locks = 0, Releases = 0, Connects = 0, Disconnects = 0;
    int ConnectStatus = 0, DisconnectStatus = 0;
    void Lock() override { Locks++; }
    void Release() override { Releases++; }
    int ConnectClient(CBankClient*) override {
        Connects++;
        return ConnectStatus;
    }
    int DisconnectClient(CBankClient*) override {
        Disconnects++;
        return DisconnectStatus;
    }
};

} // namespace

TEST(BankClient, ConnectsOnceAndDisconnectsOnce) {
    CFakeHost host;
    CFakeBankServer server;
    host.BankServer = &server;
    {
        CBankClient client(&host);
        EXPECT_TRUE(client.IsBankServerPresent());
        EXPECT_EQ(client.DisconnectBankServer(), 4);
        EXPECT_EQ(client.ConnectBankServer(), 0);
        EXPECT_EQ(client.ConnectBankServer(), 1);
        EXPECT_EQ(client.DisconnectBankServer(), 0);
        EXPECT_EQ(client.DisconnectBankServer(), 4);
        EXPECT_EQ(client.ConnectBankServer(), 0);
    }
    // The destructor disconnected the client it left connected.
    EXPECT_EQ(server.Connects, 2);
    EXPECT_EQ(server.Disconnects, 2);
    EXPECT_EQ(server.Locks, 4);
    EXPECT_EQ(server.Releases, 4);
}

TEST(BankClient, PassesTheServersStatusBack) {
    CFakeHost host;
    CFakeBankServer server;
    host.BankServer = &server;
    CBankClient client(&host);
    server.ConnectStatus = 7;
    EXPECT_EQ(client.ConnectBankServer(), 7);
    server.ConnectStatus = 0;
    EXPECT_EQ(client.ConnectBankServer(), 0);
    server.DisconnectStatus = 9;
    EXPECT_EQ(client.DisconnectBankServer(), 9);
    EXPECT_EQ(client.DisconnectBankServer(), 4) << "disconnected whatever the status";
}

TEST(BankClient, WithoutAServerNothingConnects) {
    CFakeHost plain;
    CBankClient lonely(&plain);
    EXPECT_FALSE(lonely.IsBankServerPresent());
    EXPECT_EQ(lonely.ConnectBankServer(), 1);

    CFakeHost refusing;
    CFakeBankServer server;
    refusing.BankServer = &server;
    refusing.BankServerStatus = 5;
    CBankClient refused(&refusing);
    EXPECT_FALSE(refused.IsBankServerPresent());
    EXPECT_EQ(refused.ConnectBankServer(), 1);
    EXPECT_EQ(server.Connects, 0);

    CBankClient hostless(nullptr);
    EXPECT_EQ(hostless.ConnectBankServer(), 1);
}
