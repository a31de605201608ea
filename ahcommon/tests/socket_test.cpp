#include <winsock2.h>

#include "ahcommon/ahsystem.h"
#include "ahcommon/socketthread.h"
#include "ahcommon/threadtimer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "heldpost.h"
#include "testwait.h"

namespace {

// Records its callbacks; reads what arrives, and can accept into another
// object.
class Peer : public CSocketThread {
public:
    ~Peer() override { Close(); }

    SOCKET Handle() const { return m_socket; }
    WSAEVENT NetworkEvent() const { return m_networkEvent; }
    std::string Received()
    {
        CAhLock lock(m_lock);
        return m_received;
    }
    std::string Calls()
    {
        CAhLock lock(m_lock);
        return m_calls;
    }
    // The bytes received when OnClose was called (-1: not yet).
    int ReceivedAtClose()
    {
        CAhLock lock(m_lock);
        return m_receivedAtClose;
    }
    // Hands one round of network events, each with `error`, to the callbacks.
    void Dispatch(long events, int error)
    {
        WSANETWORKEVENTS network = {};
        network.lNetworkEvents = events;
        for (int& code : network.iErrorCode) code = error;
        DispatchNetworkEvents(network);
    }

    bool m_datagram = false;
    Peer* m_acceptInto = nullptr;
    long m_acceptEvents = 0;

    std::atomic<int> m_accepts{0}, m_connects{0}, m_receives{0}, m_closes{0}, m_messages{0};
    std::atomic<int> m_acceptResult{-1}, m_lastError{-1}, m_firstReadBytes{-1};
    std::atomic<DWORD> m_worker{0}, m_callbackThread{0}, m_messageThread{0};
    std::string m_fromAddress;
    UINT m_fromPort = 0;

protected:
    bool FirstestProcess() override
    {
        m_worker = GetCurrentThreadId();
        return CSocketThread::FirstestProcess();
    }
    void OnAccept(int error) override
    {
        Note('A', error);
        if (m_acceptInto != nullptr) m_acceptResult = Accept(*m_acceptInto, m_acceptEvents, nullptr, nullptr);
        ++m_accepts;
    }
    void OnConnect(int error) override
    {
        Note('C', error);
        ++m_connects;
    }
    void OnReceive(int error) override
    {
        Note('R', error);
        if (m_firstReadBytes < 0) m_firstReadBytes = GetReadBytes();
        // Takes all that waits: one datagram, or every byte of a stream.
        int waiting = GetReadBytes();
        for (;;) {
            char buffer[256];
            std::string from;
            UINT port = 0;
            const int count = m_datagram ? ReceiveFrom(buffer, sizeof buffer, from, port, 0)
                                         : Receive(buffer, sizeof buffer, 0);
            if (count <= 0) break;
            CAhLock lock(m_lock);
            m_received.append(buffer, static_cast<std::size_t>(count));
            if (m_datagram) {
                m_fromAddress = from;
                m_fromPort = port;
            }
            waiting -= count;
            if (m_datagram || waiting <= 0) break;
        }
        ++m_receives;
    }
    void OnClose(int error) override
    {
        Note('X', error);
        {
            CAhLock lock(m_lock);
            m_receivedAtClose = static_cast<int>(m_received.size());
        }
        ++m_closes;
    }
    UINT OnEventMessage(_tagEMSG* msg) override
    {
        m_messageThread = GetCurrentThreadId();
        ++m_messages;
        return CSocketThread::OnEventMessage(msg);
    }

    void OnSend(int error) override { Note('S', error); }

private:
    void Note(char call, int error)
    {
        m_lastError = error;
        m_callbackThread = GetCurrentThreadId();
        CAhLock lock(m_lock);
        m_calls += call;
    }

    CAhCriticalSection m_lock;
    std::string m_received;
    std::string m_calls;
    int m_receivedAtClose = -1;
};

class SocketThread : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(AhStartup(), 1); }
    static void TearDownTestSuite() { AhCleanup(); }

    // A listening socket on loopback that accepts into `connection`.
    void Listen(Peer& listener, Peer& connection, UINT& port)
    {
        listener.m_acceptInto = &connection;
        listener.m_acceptEvents = FD_READ | FD_CLOSE;
        ASSERT_EQ(listener.Create(0, SOCK_STREAM, FD_ACCEPT | FD_CLOSE, "127.0.0.1"), 1);
        listener.WaitRunning();
        EXPECT_EQ(listener.GetRunning(), 1);  // started by itself
        ASSERT_EQ(listener.Listen(5), 1);
        std::string address;
        ASSERT_EQ(listener.GetSockName(address, port), 1);
        EXPECT_EQ(address, "127.0.0.1");
        ASSERT_NE(port, 0u);
    }
};

TEST_F(SocketThread, PeersConnectAcceptAndTalkOnTheirOwnWorkers)
{
    Peer listener, connection, client;
    UINT port = 0;
    ASSERT_NO_FATAL_FAILURE(Listen(listener, connection, port));

    ASSERT_EQ(client.Create(0, SOCK_STREAM, FD_CONNECT | FD_READ | FD_CLOSE, "127.0.0.1"), 1);
    if (client.Connect("127.0.0.1", port) == 0) {
        EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
    }
    ASSERT_TRUE(WaitUntil([&] { return client.m_connects == 1 && listener.m_accepts == 1; }));
    EXPECT_EQ(client.m_lastError, 0);
    EXPECT_EQ(client.m_callbackThread, client.m_worker);
    EXPECT_EQ(listener.m_lastError, 0);
    EXPECT_EQ(listener.m_callbackThread, listener.m_worker);
    EXPECT_EQ(listener.m_acceptResult, 1);
    ASSERT_TRUE(WaitUntil([&] { return connection.GetRunning() == 1; }));

    ASSERT_EQ(client.Send("hello", 5, 0), 5);
    ASSERT_TRUE(WaitUntil([&] { return connection.Received() == "hello"; }));
    EXPECT_EQ(connection.m_firstReadBytes, 5);
    EXPECT_EQ(connection.m_callbackThread, connection.m_worker);
    ASSERT_EQ(connection.Send("world", 5, 0), 5);
    ASSERT_TRUE(WaitUntil([&] { return client.Received() == "world"; }));

    std::string peerAddress, clientAddress;
    UINT peerPort = 0, clientPort = 0;
    ASSERT_EQ(connection.GetPeerName(peerAddress, peerPort), 1);
    ASSERT_EQ(client.GetSockName(clientAddress, clientPort), 1);
    EXPECT_EQ(peerAddress, "127.0.0.1");
    EXPECT_EQ(peerPort, clientPort);

    // Event messages share the worker with the network callbacks.
    connection.PostEventMessage(0x8001, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return connection.m_messages == 1; }));
    EXPECT_EQ(connection.m_messageThread, connection.m_worker);

    client.Close();  // stops the worker, which closes the socket
    ASSERT_TRUE(WaitUntil([&] { return connection.m_closes == 1; }));
    EXPECT_EQ(connection.m_receives, 1);
}

TEST_F(SocketThread, ARoundReportsItsCloseLast)
{
    const struct {
        long events;
        bool socket;
        const char* calls;
        int error;
    } cases[] = {
        {FD_READ | FD_CLOSE, true, "RX", 0},
        {FD_ACCEPT | FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE, true, "ACRSX", 0},
        {FD_WRITE | FD_READ | FD_CONNECT | FD_ACCEPT, true, "ACRS", 0},
        {FD_CONNECT, true, "C", WSAECONNREFUSED},
        {FD_CLOSE, true, "X", WSAECONNRESET},
        // The waiting byte count cannot be read: reported as a close, once,
        // and the round ends there.
        {FD_READ | FD_WRITE, false, "X", WSAENOTSOCK},
        {FD_READ | FD_WRITE | FD_CLOSE, false, "X", WSAENOTSOCK},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.calls);
        Peer peer;
        peer.SetAutoStart(FALSE);
        if (c.socket) {
            ASSERT_EQ(peer.Socket(SOCK_DGRAM, FD_READ, 0, AF_INET), 1);
        }
        peer.Dispatch(c.events, c.error == WSAENOTSOCK ? 0 : c.error);
        EXPECT_EQ(peer.Calls(), c.calls);
        EXPECT_EQ(peer.m_lastError, c.error);
    }
}

TEST_F(SocketThread, CloseRecordedBeforeTheWorkerStartsIsReported)
{
    Peer listener, connection;
    connection.SetAutoStart(FALSE);
    UINT port = 0;
    ASSERT_NO_FATAL_FAILURE(Listen(listener, connection, port));

    SOCKET client = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    ASSERT_NE(client, INVALID_SOCKET);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_TRUE(WaitUntil([&] { return listener.m_accepts == 1; }));
    ASSERT_EQ(listener.m_acceptResult, 1);
    EXPECT_EQ(connection.GetRunning(), 0);  // auto-start is off

    ASSERT_EQ(send(client, "bye", 3, 0), 3);
    closesocket(client);
    ASSERT_EQ(WaitForSingleObject(connection.NetworkEvent(), 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    ASSERT_EQ(connection.Open(), 1);
    ASSERT_TRUE(WaitUntil([&] { return connection.m_closes == 1; }));
    EXPECT_EQ(connection.m_lastError, 0);
    // Data and close wait in one round: the data is delivered first.
    EXPECT_EQ(connection.Calls(), "RX");
    EXPECT_EQ(connection.Received(), "bye");
}

TEST_F(SocketThread, DataSentJustBeforeACloseArrivesBeforeIt)
{
    const std::string data(3000, 'd');
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        Peer listener, connection;
        UINT port = 0;
        ASSERT_NO_FATAL_FAILURE(Listen(listener, connection, port));
        SOCKET client = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        ASSERT_NE(client, INVALID_SOCKET);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<u_short>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(send(client, data.data(), static_cast<int>(data.size()), 0), static_cast<int>(data.size()));
        closesocket(client);
        ASSERT_TRUE(WaitUntil([&] { return connection.m_closes == 1; }));
        EXPECT_EQ(connection.ReceivedAtClose(), static_cast<int>(data.size()));
    }
}

// Its first timer post waits in SetMessageEvent until the test releases
// it, then notes whether the event it signals is still open.
class HoldingSocket : public CSocketThread {
public:
    explicit HoldingSocket(HeldPost& hold) : m_hold(hold) {}

    std::atomic<bool>* m_signalledClosed = nullptr;

protected:
    void SetMessageEvent() override
    {
        HeldPost& hold = m_hold;  // this part of the object may be gone after the hold
        std::atomic<bool>* signalledClosed = m_signalledClosed;
        const WSAEVENT event = m_socketMessageEvent;
        if (!hold.Hold()) return;
        DWORD flags = 0;
        if (!GetHandleInformation(event, &flags)) {
            *signalledClosed = true;
            return;
        }
        CSocketThread::SetMessageEvent();
    }

private:
    HeldPost& m_hold;
};

TEST_F(SocketThread, DestroyingWaitsForATimerFiringBeforeClosingItsEvents)
{
    ASSERT_EQ(InitializeTimer(), 1);
    HeldPost hold;
    std::atomic<bool> signalledClosed{false};
    HoldingSocket* socket = new HoldingSocket(hold);
    socket->m_signalledClosed = &signalledClosed;
    ASSERT_EQ(socket->SetThreadTimer(1, 1, 0), 1u);
    ASSERT_TRUE(hold.WaitHeld());
    hold.DestroyDuringPost(socket);
    EXPECT_EQ(UninitializeTimer(), 1);
    EXPECT_FALSE(signalledClosed);
    EXPECT_FALSE(hold.OutlivedOwner());
}

TEST_F(SocketThread, DatagramsWaitForAWorkerThatDoesNotStartByItself)
{
    Peer a, b;
    a.m_datagram = b.m_datagram = true;
    a.SetAutoStart(FALSE);
    ASSERT_EQ(a.Create(0, SOCK_DGRAM, FD_READ, "127.0.0.1"), 1);
    EXPECT_EQ(a.GetRunning(), 0);
    ASSERT_EQ(b.Create(0, SOCK_DGRAM, FD_READ, "127.0.0.1"), 1);
    std::string address;
    UINT aPort = 0, bPort = 0;
    ASSERT_EQ(a.GetSockName(address, aPort), 1);
    ASSERT_EQ(b.GetSockName(address, bPort), 1);

    ASSERT_EQ(a.SendTo("ping", 4, bPort, "127.0.0.1", 0), 4);
    ASSERT_TRUE(WaitUntil([&] { return b.Received() == "ping"; }));
    EXPECT_EQ(b.m_fromAddress, "127.0.0.1");
    EXPECT_EQ(b.m_fromPort, aPort);

    ASSERT_EQ(b.SendTo("pong", 4, aPort, "127.0.0.1", 0), 4);
    ASSERT_EQ(WaitForSingleObject(a.NetworkEvent(), 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(a.m_receives, 0);
    ASSERT_EQ(a.Open(), 1);
    ASSERT_TRUE(WaitUntil([&] { return a.Received() == "pong"; }));
}

TEST_F(SocketThread, BadBindAddressFailsWithInvalidArgument)
{
    for (const char* text : {"not-an-address", "999.1.1.1", ""}) {
        SCOPED_TRACE(text);
        Peer bound;
        ASSERT_EQ(bound.Socket(SOCK_STREAM, FD_ACCEPT, 0, AF_INET), 1);
        EXPECT_EQ(bound.Bind(80, text), 0);
        EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
        bound.Close();

        Peer created;
        EXPECT_EQ(created.Create(0, SOCK_STREAM, FD_ACCEPT, text), 0);
        EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
        EXPECT_EQ(created.GetRunning(), 0);
    }
}

}  // namespace
