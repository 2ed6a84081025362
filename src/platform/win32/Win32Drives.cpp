// Drives and network connections of drive letters.
#include <windows.h>
#include <winnetwk.h>

#include <limits>
#include <vector>

#include "platform/win32/Win32Platform.h"
#include "platform/win32/WinText.h"

namespace plovik {

namespace {

// The root of a drive: the letter as given, followed by ":\".
std::wstring DriveRoot(char letter) {
  std::wstring root(1, static_cast<wchar_t>(static_cast<unsigned char>(letter)));
  root += L":\\";
  return root;
}

int64_t ToSigned(ULONGLONG value) {
  constexpr ULONGLONG most = static_cast<ULONGLONG>(std::numeric_limits<int64_t>::max());
  return static_cast<int64_t>(value > most ? most : value);
}

}  // namespace

uint32_t Win32Platform::DriveType(char letter) {
  return ::GetDriveTypeW(DriveRoot(letter).c_str());
}

bool Win32Platform::DiskFreeSpace(char letter, int64_t& freeBytes, int64_t& totalBytes) {
  ULARGE_INTEGER available;
  ULARGE_INTEGER total;
  ULARGE_INTEGER totalFree;
  if (!::GetDiskFreeSpaceExW(DriveRoot(letter).c_str(), &available, &total, &totalFree)) {
    return false;
  }
  freeBytes = ToSigned(available.QuadPart);
  totalBytes = ToSigned(total.QuadPart);
  return true;
}

uint32_t Win32Platform::SectorSize(char letter) {
  DWORD sectorsPerCluster = 0;
  DWORD bytesPerSector = 0;
  DWORD freeClusters = 0;
  DWORD totalClusters = 0;
  if (!::GetDiskFreeSpaceW(DriveRoot(letter).c_str(), &sectorsPerCluster, &bytesPerSector,
                           &freeClusters, &totalClusters)) {
    return 0;
  }
  return bytesPerSector;
}

bool Win32Platform::NamedStreamsPossible(char letter) {
  DWORD flags = 0;
  if (!::GetVolumeInformationW(DriveRoot(letter).c_str(), nullptr, 0, nullptr, nullptr, &flags,
                               nullptr, 0)) {
    return true;
  }
  return (flags & FILE_NAMED_STREAMS) != 0;
}

uint32_t Win32Platform::NetGetConnection(const std::string& local, std::string& remote) {
  remote.clear();
  std::wstring localName = Wide(local);
  // First ask for the length the remote name needs, then fetch it into a
  // zero-filled buffer with room to spare.
  wchar_t probe[1] = {L'\0'};
  DWORD length = 0;
  ::WNetGetConnectionW(localName.c_str(), probe, &length);
  std::vector<wchar_t> buffer(static_cast<size_t>(length) + 2, L'\0');
  DWORD size = static_cast<DWORD>(buffer.size());
  DWORD result = ::WNetGetConnectionW(localName.c_str(), buffer.data(), &size);
  buffer.back() = L'\0';
  if (result == NO_ERROR || result == ERROR_CONNECTION_UNAVAIL) {
    remote = Narrow(std::wstring(buffer.data()));
  }
  return result;
}

uint32_t Win32Platform::NetAddConnection(uintptr_t ownerWindow, const std::string& local,
                                         const std::string& remote) {
  std::wstring localName = Wide(local);
  std::wstring remoteName = Wide(remote);
  NETRESOURCEW resource{};
  resource.dwType = RESOURCETYPE_DISK;
  resource.lpLocalName = localName.data();
  resource.lpRemoteName = remoteName.data();
  resource.lpProvider = nullptr;
  return ::WNetAddConnection3W(reinterpret_cast<HWND>(ownerWindow), &resource, nullptr, nullptr,
                               CONNECT_INTERACTIVE);
}

}  // namespace plovik
