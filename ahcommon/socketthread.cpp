#include <winsock2.h>
#include <ws2tcpip.h>

#include "socketthread.h"

#include <cstring>

// Defined with the timer service: drops every timer of `owner` and waits for
// a timer message being posted to it.
void RemoveThreadTimers(CSimpleThread* owner);

const CRuntimeThread CSocketThread::classCSocketThread = {"CSocketThread"};

namespace {

// Fills `address` from dotted text, or from the first IPv4 address of a host
// name when `resolve` is set; false (with the Winsock error set) otherwise.
bool MakeAddress(const char* host, UINT port, bool resolve, sockaddr_in& address)
{
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    if (inet_pton(AF_INET, host, &address.sin_addr) == 1) return true;
    if (!resolve) {
        WSASetLastError(WSAEINVAL);
        return false;
    }
    addrinfo hints;
    std::memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &found) != 0 || found == nullptr) {
        WSASetLastError(WSAHOST_NOT_FOUND);
        return false;
    }
    address.sin_addr = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return true;
}

int SplitAddress(const sockaddr_in& address, std::string& text, UINT& port)
{
    char buffer[INET_ADDRSTRLEN] = {};
    if (inet_ntop(AF_INET, const_cast<in_addr*>(&address.sin_addr), buffer, sizeof buffer) == nullptr)
        return 0;
    text = buffer;
    port = ntohs(address.sin_port);
    return 1;
}

}  // namespace

CSocketThread::CSocketThread()
{
    Construct();
}

CSocketThread::CSocketThread(const CSocketThread& other) : CSimpleThread(other)
{
    Construct();
}

CSocketThread& CSocketThread::operator=(const CSocketThread&)
{
    return *this;
}

void CSocketThread::Construct()
{
    m_socket = INVALID_SOCKET;
    m_readBytes = 0;
    m_lastCount = 0;
    m_socketKillEvent = WSACreateEvent();
    m_networkEvent = WSACreateEvent();
    m_socketMessageEvent = WSACreateEvent();
    m_spareEvent = WSACreateEvent();
    m_autoStart = TRUE;
}

CSocketThread::~CSocketThread()
{
    // Before the events go: a timer firing posts through SetMessageEvent,
    // which signals one of them.
    RemoveThreadTimers(this);
    CloseSocket();
    for (WSAEVENT event : {m_socketKillEvent, m_networkEvent, m_socketMessageEvent, m_spareEvent}) {
        if (event != WSA_INVALID_EVENT) WSACloseEvent(event);
    }
}

const CRuntimeThread* CSocketThread::GetRuntimeThread() const
{
    return &classCSocketThread;
}

int CSocketThread::Create(UINT port, int type, long events, const char* address)
{
    if (!Socket(type, events, 0, AF_INET)) return 0;
    if (!Bind(port, address)) {
        // Keep the caller's error across the stop; without a worker (auto-
        // start off) the socket is closed here.
        const int error = WSAGetLastError();
        Close();
        CloseSocket();
        WSASetLastError(error);
        return 0;
    }
    return 1;
}

int CSocketThread::Socket(int type, long events, int protocol, int family)
{
    WSAResetEvent(m_socketKillEvent);
    WSAResetEvent(m_networkEvent);
    WSAResetEvent(m_spareEvent);
    CloseSocket();  // a socket made earlier would leak
    m_socket = socket(family, type, protocol);
    if (m_socket == INVALID_SOCKET) return 0;
    return AsyncSelect(events);
}

int CSocketThread::AsyncSelect(long events)
{
    if (m_socket == INVALID_SOCKET) return 0;
    if (WSAEventSelect(m_socket, m_networkEvent, events) == SOCKET_ERROR) return 0;
    if (m_autoStart && !GetRunning()) Open();
    return 1;
}

int CSocketThread::Bind(UINT port, const char* address)
{
    sockaddr_in local;
    if (address == nullptr) {
        std::memset(&local, 0, sizeof local);
        local.sin_family = AF_INET;
        local.sin_port = htons(static_cast<u_short>(port));
        local.sin_addr.s_addr = htonl(INADDR_ANY);
    } else if (!MakeAddress(address, port, false, local)) {
        return 0;
    }
    return Bind(reinterpret_cast<const sockaddr*>(&local), sizeof local);
}

int CSocketThread::Bind(const sockaddr* address, int length)
{
    return bind(m_socket, address, length) != SOCKET_ERROR ? 1 : 0;
}

int CSocketThread::Listen(int backlog)
{
    return listen(m_socket, backlog) != SOCKET_ERROR ? 1 : 0;
}

int CSocketThread::Accept(CSocketThread& connection, long events, sockaddr* address, int* addressLength)
{
    if (connection.m_socket != INVALID_SOCKET) {
        WSASetLastError(WSAEISCONN);
        return 0;
    }
    const SOCKET accepted = accept(m_socket, address, addressLength);
    if (accepted == INVALID_SOCKET) return 0;
    // The target keeps the events it was made with; clear what an earlier
    // connection may have left in them.
    WSAResetEvent(connection.m_socketKillEvent);
    WSAResetEvent(connection.m_networkEvent);
    WSAResetEvent(connection.m_spareEvent);
    connection.m_socket = accepted;
    return connection.AsyncSelect(events);
}

int CSocketThread::Connect(const char* host, UINT port)
{
    sockaddr_in remote;
    if (host == nullptr || !MakeAddress(host, port, true, remote)) return 0;
    return Connect(reinterpret_cast<const sockaddr*>(&remote), sizeof remote);
}

int CSocketThread::Connect(const sockaddr* address, int length)
{
    return ConnectHelper(address, length) != SOCKET_ERROR ? 1 : 0;
}

int CSocketThread::ConnectHelper(const sockaddr* address, int length)
{
    return connect(m_socket, address, length);
}

int CSocketThread::SendTo(const void* data, int length, UINT port, const char* host, int flags)
{
    sockaddr_in remote;
    if (host == nullptr) {
        std::memset(&remote, 0, sizeof remote);
        remote.sin_family = AF_INET;
        remote.sin_port = htons(static_cast<u_short>(port));
        remote.sin_addr.s_addr = htonl(INADDR_BROADCAST);
    } else if (!MakeAddress(host, port, true, remote)) {
        return SOCKET_ERROR;
    }
    return SendTo(data, length, reinterpret_cast<const sockaddr*>(&remote), sizeof remote, flags);
}

int CSocketThread::SendTo(const void* data, int length, const sockaddr* address, int addressLength,
                          int flags)
{
    return SendToHelper(data, length, address, addressLength, flags);
}

int CSocketThread::SendToHelper(const void* data, int length, const sockaddr* address,
                                int addressLength, int flags)
{
    return sendto(m_socket, static_cast<const char*>(data), length, flags, address, addressLength);
}

int CSocketThread::ReceiveFrom(void* buffer, int length, std::string& address, UINT& port, int flags)
{
    sockaddr_in remote;
    int remoteLength = sizeof remote;
    const int count = ReceiveFromHelper(buffer, length, reinterpret_cast<sockaddr*>(&remote),
                                        &remoteLength, flags);
    if (count != SOCKET_ERROR) SplitAddress(remote, address, port);
    return count;
}

int CSocketThread::ReceiveFrom(void* buffer, int length, sockaddr* address, int* addressLength,
                               int flags)
{
    return ReceiveFromHelper(buffer, length, address, addressLength, flags);
}

int CSocketThread::ReceiveFromHelper(void* buffer, int length, sockaddr* address, int* addressLength,
                                     int flags)
{
    return recvfrom(m_socket, static_cast<char*>(buffer), length, flags, address, addressLength);
}

int CSocketThread::Receive(void* buffer, int length, int flags)
{
    m_lastCount = recv(m_socket, static_cast<char*>(buffer), length, flags);
    return m_lastCount;
}

int CSocketThread::Send(const void* data, int length, int flags)
{
    m_lastCount = send(m_socket, static_cast<const char*>(data), length, flags);
    return m_lastCount;
}

int CSocketThread::GetPeerName(std::string& address, UINT& port)
{
    sockaddr_in remote;
    int length = sizeof remote;
    if (!GetPeerName(reinterpret_cast<sockaddr*>(&remote), &length)) return 0;
    return SplitAddress(remote, address, port);
}

int CSocketThread::GetPeerName(sockaddr* address, int* length)
{
    return getpeername(m_socket, address, length) != SOCKET_ERROR ? 1 : 0;
}

int CSocketThread::GetSockName(std::string& address, UINT& port)
{
    sockaddr_in local;
    int length = sizeof local;
    if (!GetSockName(reinterpret_cast<sockaddr*>(&local), &length)) return 0;
    return SplitAddress(local, address, port);
}

int CSocketThread::GetSockName(sockaddr* address, int* length)
{
    return getsockname(m_socket, address, length) != SOCKET_ERROR ? 1 : 0;
}

int CSocketThread::SetSockOpt(int option, const void* value, int length, int level)
{
    return setsockopt(m_socket, level, option, static_cast<const char*>(value), length) != SOCKET_ERROR
               ? 1
               : 0;
}

int CSocketThread::GetSockOpt(int option, void* value, int* length, int level)
{
    return getsockopt(m_socket, level, option, static_cast<char*>(value), length) != SOCKET_ERROR ? 1 : 0;
}

int CSocketThread::IOCtl(long command, DWORD* argument)
{
    u_long value = *argument;
    if (ioctlsocket(m_socket, command, &value) == SOCKET_ERROR) return 0;
    *argument = value;
    return 1;
}

int CSocketThread::ShutDown(int how)
{
    return shutdown(m_socket, how) != SOCKET_ERROR ? 1 : 0;
}

int CSocketThread::GetReadBytes() const
{
    return m_readBytes;
}

void CSocketThread::CloseSocket()
{
    if (m_socket == INVALID_SOCKET) return;
    closesocket(m_socket);
    m_socket = INVALID_SOCKET;
}

void CSocketThread::SetAutoStart(BOOL autoStart)
{
    m_autoStart = autoStart;
}

void CSocketThread::SetKillEvent()
{
    WSASetEvent(m_socketKillEvent);
    CSimpleThread::SetKillEvent();
}

void CSocketThread::SetMessageEvent()
{
    WSASetEvent(m_socketMessageEvent);
}

bool CSocketThread::FirstestProcess()
{
    m_readBytes = 0;
    return true;
}

void CSocketThread::Running()
{
    const WSAEVENT events[3] = {m_socketKillEvent, m_networkEvent, m_socketMessageEvent};
    for (;;) {
        const DWORD result = WSAWaitForMultipleEvents(3, events, FALSE, WSA_INFINITE, FALSE);
        if (result == WSA_WAIT_EVENT_0) return;
        if (result == WSA_WAIT_EVENT_0 + 1) {
            WSANETWORKEVENTS network;
            if (WSAEnumNetworkEvents(m_socket, m_networkEvent, &network) != SOCKET_ERROR) {
                DispatchNetworkEvents(network);
            } else {
                // Without a socket the event would stay signalled and spin.
                WSAResetEvent(m_networkEvent);
            }
        } else if (result == WSA_WAIT_EVENT_0 + 2) {
            // Reset before draining: a post that lands meanwhile sets it again.
            WSAResetEvent(m_socketMessageEvent);
            DoEventMessage();
        } else if (result == WSA_WAIT_FAILED) {
            // Nothing can be waited for any more; end as a stop would.
            return;
        }
    }
}

void CSocketThread::DispatchNetworkEvents(const WSANETWORKEVENTS& network)
{
    const long events = network.lNetworkEvents;
    if (events & FD_ACCEPT) OnAccept(network.iErrorCode[FD_ACCEPT_BIT]);
    if (events & FD_CONNECT) OnConnect(network.iErrorCode[FD_CONNECT_BIT]);
    if (events & FD_READ) {
        u_long waiting = 0;
        if (ioctlsocket(m_socket, FIONREAD, &waiting) == SOCKET_ERROR) {
            OnClose(WSAGetLastError());
            return;
        }
        m_readBytes = static_cast<int>(waiting);
        OnReceive(network.iErrorCode[FD_READ_BIT]);
        m_readBytes = 0;
    }
    if (events & FD_WRITE) OnSend(network.iErrorCode[FD_WRITE_BIT]);
    // Last: a peer that sends and closes at once reports both in one round,
    // and its data must reach OnReceive before the close.
    if (events & FD_CLOSE) OnClose(network.iErrorCode[FD_CLOSE_BIT]);
}

void CSocketThread::LastestProcess()
{
    CloseSocket();
}

void CSocketThread::OnSend(int)
{
}

void CSocketThread::OnConnect(int)
{
}

void CSocketThread::OnClose(int)
{
}

void CSocketThread::OnAccept(int)
{
}

void CSocketThread::OnReceive(int)
{
}
