// One Winsock socket driven by its own worker thread: network events become
// the OnXxx callbacks on the worker, alongside its event messages and timers.
#pragma once

#include <winsock2.h>

#include <string>

#include "simplethread.h"

class AHCOMMON_API CSocketThread : public CSimpleThread {
public:
    static const CRuntimeThread classCSocketThread;

    CSocketThread();
    ~CSocketThread() override;
    // A copy is a new object without a socket: a socket has one owner.
    CSocketThread(const CSocketThread& other);
    CSocketThread& operator=(const CSocketThread& other);

    const CRuntimeThread* GetRuntimeThread() const override;

    // Socket of `type` selected for `events` (FD_ flags), bound to `port` on
    // the dotted `address` (any address when null). On a failed bind the
    // worker is stopped and the result is 0.
    int Create(UINT port, int type, long events, const char* address);
    int Socket(int type, long events, int protocol, int family);
    // Selects `events` on the socket and, with auto-start, starts the worker.
    int AsyncSelect(long events);
    // Invalid dotted text fails with WSAEINVAL.
    int Bind(UINT port, const char* address);
    int Bind(const sockaddr* address, int length);
    int Listen(int backlog);
    // Dotted address or host name; the outcome arrives through OnConnect.
    int Connect(const char* host, UINT port);
    int Connect(const sockaddr* address, int length);
    // A null host is the broadcast address; an unknown host gives -1.
    int SendTo(const void* data, int length, UINT port, const char* host, int flags);
    int SendTo(const void* data, int length, const sockaddr* address, int addressLength, int flags);
    int ReceiveFrom(void* buffer, int length, std::string& address, UINT& port, int flags);
    int ReceiveFrom(void* buffer, int length, sockaddr* address, int* addressLength, int flags);
    int GetPeerName(std::string& address, UINT& port);
    int GetPeerName(sockaddr* address, int* length);
    int GetSockName(std::string& address, UINT& port);
    int GetSockName(sockaddr* address, int* length);
    int SetSockOpt(int option, const void* value, int length, int level);
    int GetSockOpt(int option, void* value, int* length, int level);
    int IOCtl(long command, DWORD* argument);
    int ShutDown(int how);
    // Bytes waiting to be read; meaningful inside OnReceive.
    int GetReadBytes() const;
    void CloseSocket();
    // Whether selecting the socket starts the worker (on by default).
    void SetAutoStart(BOOL autoStart);

protected:
    void SetKillEvent() override;
    void SetMessageEvent() override;
    bool FirstestProcess() override;
    void Running() override;
    void LastestProcess() override;

public:
    // Return what recv and send return.
    virtual int Receive(void* buffer, int length, int flags);
    virtual int Send(const void* data, int length, int flags);
    // Accepts a connection into `connection` (which must have no socket) and
    // selects `events` on it, which starts its worker by default.
    virtual int Accept(CSocketThread& connection, long events, sockaddr* address, int* addressLength);

protected:
    virtual int ReceiveFromHelper(void* buffer, int length, sockaddr* address, int* addressLength,
                                  int flags);
    virtual int SendToHelper(const void* data, int length, const sockaddr* address, int addressLength,
                             int flags);
    // Network callbacks, on the worker; the base versions do nothing. A close
    // comes after the round's other callbacks, so OnReceive should take all
    // GetReadBytes() bytes to see the peer's last data before it.
    virtual void OnSend(int error);
    virtual void OnConnect(int error);
    virtual void OnClose(int error);
    virtual void OnAccept(int error);
    virtual void OnReceive(int error);
    // Returns what connect returns.
    virtual int ConnectHelper(const sockaddr* address, int length);

    SOCKET m_socket;
    int m_readBytes;
    int m_lastCount;
    WSAEVENT m_socketKillEvent;
    WSAEVENT m_networkEvent;
    WSAEVENT m_socketMessageEvent;
    WSAEVENT m_spareEvent;
    BOOL m_autoStart;

    // Turns one round of network events into callbacks: accept, connect,
    // receive, send and close in this order; a failure to count the waiting
    // bytes is reported as a close and ends the round.
    void DispatchNetworkEvents(const WSANETWORKEVENTS& network);

private:
    void Construct();
};
