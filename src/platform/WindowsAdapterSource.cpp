#include "WindowsAdapterSource.h"

#include "WindowsAdapterRecords.h"

// winsock2.h before windows.h, which iphlpapi.h pulls in.
#include <winsock2.h>
#include <iphlpapi.h>
#include <windows.h>
#include <wlanapi.h>

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <vector>

using namespace WindowsAdapterRecords;

namespace {

constexpr ULONG FirstBufferBytes = 15000;
constexpr int MaxAdapterQueries = 3;
constexpr DWORD WlanClientVersion = 2;

QString systemText(DWORD error)
{
    wchar_t *text = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                            | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                        reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    QString message = length ? QString::fromWCharArray(text, int(length)).trimmed() : QString();
    LocalFree(text);
    return message.isEmpty() ? QStringLiteral("system error %1").arg(error) : message;
}

SystemAdapter systemAdapter(const IP_ADAPTER_ADDRESSES &adapter)
{
    SystemAdapter copied;
    copied.adapterName = QByteArray(adapter.AdapterName);
    const IP_ADAPTER_UNICAST_ADDRESS *unicast = adapter.FirstUnicastAddress;
    if (!unicast || !unicast->Address.lpSockaddr)
        return copied;
    copied.firstUnicastFamily = unicast->Address.lpSockaddr->sa_family;
    if (copied.firstUnicastFamily == AF_INET && unicast->Address.iSockaddrLength >= int(sizeof(sockaddr_in))) {
        const auto *ipv4 = reinterpret_cast<const sockaddr_in *>(unicast->Address.lpSockaddr);
        copied.firstUnicastAddress = QByteArray(reinterpret_cast<const char *>(&ipv4->sin_addr), 4);
    }
    return copied;
}

// The query asks for more room while the adapters do not fit, up to three times in all.
QList<SystemAdapter> queryAdapters()
{
    ULONG size = FirstBufferBytes;
    std::vector<ULONGLONG> buffer; // aligned as the records need
    ULONG result = ERROR_BUFFER_OVERFLOW;
    for (int query = 0; query < MaxAdapterQueries && result == ERROR_BUFFER_OVERFLOW; ++query) {
        buffer.assign(size / sizeof(ULONGLONG) + 1, 0);
        size = ULONG(buffer.size() * sizeof(ULONGLONG));
        result = GetAdaptersAddresses(AF_INET, GAA_FLAG_INCLUDE_PREFIX, nullptr,
                                      reinterpret_cast<IP_ADAPTER_ADDRESSES *>(buffer.data()), &size);
    }
    if (result == ERROR_NO_DATA)
        return {};
    if (result != NO_ERROR)
        throw std::runtime_error(systemText(result).toStdString());
    QList<SystemAdapter> adapters;
    for (auto *adapter = reinterpret_cast<const IP_ADAPTER_ADDRESSES *>(buffer.data()); adapter; adapter = adapter->Next)
        adapters.append(systemAdapter(*adapter));
    return adapters;
}

// The WLAN client library is loaded when first needed: a Windows without the wireless
// service may lack the library itself, and the tool must still start there.
struct WlanLibrary {
    decltype(&WlanOpenHandle) open = nullptr;
    decltype(&WlanEnumInterfaces) enumerate = nullptr;
    decltype(&WlanFreeMemory) free = nullptr;
    decltype(&WlanCloseHandle) close = nullptr;

    static const WlanLibrary &instance()
    {
        static const WlanLibrary library;
        return library;
    }
    bool loaded() const { return open && enumerate && free && close; }

private:
    WlanLibrary()
    {
        HMODULE module = LoadLibraryW(L"wlanapi.dll");
        if (!module)
            return;
        resolve(module, "WlanOpenHandle", open);
        resolve(module, "WlanEnumInterfaces", enumerate);
        resolve(module, "WlanFreeMemory", free);
        resolve(module, "WlanCloseHandle", close);
    }
    template <typename Function>
    static void resolve(HMODULE module, const char *name, Function &function)
    {
        function = reinterpret_cast<Function>(reinterpret_cast<void *>(GetProcAddress(module, name)));
    }
};

class WlanClient {
public:
    WlanClient() : library_(WlanLibrary::instance())
    {
        DWORD negotiated = 0;
        if (!library_.loaded() || library_.open(WlanClientVersion, nullptr, &negotiated, &handle_) != ERROR_SUCCESS)
            handle_ = nullptr;
    }
    ~WlanClient()
    {
        if (handle_)
            library_.close(handle_, nullptr);
    }
    WlanClient(const WlanClient &) = delete;
    WlanClient &operator=(const WlanClient &) = delete;

    bool isOpen() const { return handle_ != nullptr; }

    // An enumeration that fails leaves the list empty.
    QList<SystemWlanInterface> interfaces() const
    {
        WLAN_INTERFACE_INFO_LIST *list = nullptr;
        if (library_.enumerate(handle_, nullptr, &list) != ERROR_SUCCESS || !list)
            return {};
        QList<SystemWlanInterface> copied;
        for (DWORD i = 0; i < list->dwNumberOfItems; ++i) {
            const WLAN_INTERFACE_INFO &info = list->InterfaceInfo[i];
            SystemWlanInterface wlan;
            wlan.guid.data1 = info.InterfaceGuid.Data1;
            wlan.guid.data2 = info.InterfaceGuid.Data2;
            wlan.guid.data3 = info.InterfaceGuid.Data3;
            std::copy(std::begin(info.InterfaceGuid.Data4), std::end(info.InterfaceGuid.Data4), wlan.guid.data4.begin());
            wlan.state = int(info.isState);
            copied.append(wlan);
        }
        library_.free(list);
        return copied;
    }

private:
    const WlanLibrary &library_;
    HANDLE handle_ = nullptr;
};

} // namespace

QList<AdapterRecord> WindowsAdapterSource::adapters()
{
    wlanService_ = WlanClient().isOpen();
    if (!wlanService_)
        return fallback_.adapters();
    return adapterRecords(queryAdapters());
}

QList<WifiInterfaceRecord> WindowsAdapterSource::wifiInterfaces()
{
    const WlanClient client;
    wlanService_ = client.isOpen();
    if (!wlanService_)
        return fallback_.wifiInterfaces();
    return wifiInterfaceRecords(client.interfaces());
}

QString WindowsAdapterSource::sourceName() const
{
    return wlanService_ ? QStringLiteral("Windows adapter list and WLAN service")
                        : QStringLiteral("Qt network interfaces (no WLAN service)");
}
