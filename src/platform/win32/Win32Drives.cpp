// Drives and network connections of drive letters.
#include <windows.h>
#include <winnetwk.h>

#include <limits>
#include <vector>

#include "lib/Wide.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WinResult.h"

namespace plovik {

namespace {

// The root of a drive: the letter as given, followed by ":\". The drive
// calls take the plain root.
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

DriveKind Win32Platform::DriveType(char letter) {
  return static_cast<DriveKind>(::GetDriveTypeW(DriveRoot(letter).c_str()));
}

Result<DiskSpace> Win32Platform::DiskFreeSpace(char letter) {
  ULARGE_INTEGER available;
  ULARGE_INTEGER total;
  ULARGE_INTEGER totalFree;
  if (!::GetDiskFreeSpaceExW(DriveRoot(letter).c_str(), &available, &total, &totalFree))
    return LastFailure();
  DiskSpace space;
  space.freeBytes = ToSigned(available.QuadPart);
  space.totalBytes = ToSigned(total.QuadPart);
  return space;
}

Result<DriveGeometry> Win32Platform::Geometry(char letter) {
  DWORD sectorsPerCluster = 0;
  DWORD bytesPerSector = 0;
  DWORD freeClusters = 0;
  DWORD totalClusters = 0;
  if (!::GetDiskFreeSpaceW(DriveRoot(letter).c_str(), &sectorsPerCluster, &bytesPerSector,
                           &freeClusters, &totalClusters)) {
    return LastFailure();
  }
  DriveGeometry geometry;
  geometry.bytesPerSector = bytesPerSector;
  geometry.bytesPerCluster = bytesPerSector * sectorsPerCluster;
  return geometry;
}

bool Win32Platform::NamedStreamsPossible(char letter) {
  DWORD flags = 0;
  if (!::GetVolumeInformationW(DriveRoot(letter).c_str(), nullptr, 0, nullptr, nullptr, &flags,
                               nullptr, 0)) {
    return true;
  }
  return (flags & FILE_NAMED_STREAMS) != 0;
}

Result<NetConnection> Win32Platform::NetGetConnection(const std::string& local) {
  const std::wstring localName = Wide(local);
  // First ask for the length the remote name needs, then fetch it into a
  // zero-filled buffer with room to spare.
  wchar_t probe[1] = {L'\0'};
  DWORD length = 0;
  ::WNetGetConnectionW(localName.c_str(), probe, &length);
  std::vector<wchar_t> buffer(static_cast<size_t>(length) + 2, L'\0');
  DWORD size = static_cast<DWORD>(buffer.size());
  const DWORD result = ::WNetGetConnectionW(localName.c_str(), buffer.data(), &size);
  buffer.back() = L'\0';
  if (result != NO_ERROR && result != ERROR_CONNECTION_UNAVAIL) return Failure(result);
  NetConnection connection;
  connection.remote = Narrow(std::wstring(buffer.data()));
  connection.connected = result == NO_ERROR;
  return connection;
}

Result<void> Win32Platform::NetAddConnection(uintptr_t ownerWindow, const std::string& local,
                                             const std::string& remote) {
  std::wstring localName = Wide(local);
  std::wstring remoteName = Wide(remote);
  NETRESOURCEW resource{};
  resource.dwType = RESOURCETYPE_DISK;
  resource.lpLocalName = localName.data();
  resource.lpRemoteName = remoteName.data();
  resource.lpProvider = nullptr;
  // Without an owner window nobody may be asked for a password: the
  // connection is made with the remembered credentials or not at all.
  const DWORD flags = ownerWindow != 0 ? CONNECT_INTERACTIVE : 0;
  return FromCode(::WNetAddConnection3W(reinterpret_cast<HWND>(ownerWindow), &resource, nullptr,
                                        nullptr, flags));
}

}  // namespace plovik
