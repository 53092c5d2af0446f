#include "SocketReset.h"

#ifdef Q_OS_WIN
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif

void resetOnClose(qintptr socketDescriptor)
{
    // A zero linger time turns the close into a reset.
    const linger reset{1, 0};
#ifdef Q_OS_WIN
    ::setsockopt(SOCKET(socketDescriptor), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char *>(&reset), sizeof reset);
#else
    ::setsockopt(int(socketDescriptor), SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
#endif
}
