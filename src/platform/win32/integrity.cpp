#include "platform/win32/integrity.h"

#include <windows.h>

#include <vector>

#include "platform/win32/handles.h"

namespace quiltor {
namespace {

IntegrityLevel LevelOfRid(DWORD rid) {
  if (rid < SECURITY_MANDATORY_LOW_RID) return IntegrityLevel::kUntrusted;
  if (rid < SECURITY_MANDATORY_MEDIUM_RID) return IntegrityLevel::kLow;
  if (rid < SECURITY_MANDATORY_HIGH_RID) return IntegrityLevel::kMedium;
  if (rid < SECURITY_MANDATORY_SYSTEM_RID) return IntegrityLevel::kHigh;
  return IntegrityLevel::kSystem;
}

IntegrityLevel LevelOfProcessHandle(HANDLE process) {
  HANDLE rawToken = nullptr;
  if (!OpenProcessToken(process, TOKEN_QUERY, &rawToken)) return IntegrityLevel::kUnknown;
  const KernelHandle token(rawToken);
  DWORD size = 0;
  GetTokenInformation(token.Get(), TokenIntegrityLevel, nullptr, 0, &size);
  if (size < sizeof(TOKEN_MANDATORY_LABEL)) return IntegrityLevel::kUnknown;
  std::vector<unsigned char> buffer(size);
  if (!GetTokenInformation(token.Get(), TokenIntegrityLevel, buffer.data(), size, &size)) {
    return IntegrityLevel::kUnknown;
  }
  PSID sid = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer.data())->Label.Sid;
  if (!sid || !IsValidSid(sid)) return IntegrityLevel::kUnknown;
  const UCHAR count = *GetSidSubAuthorityCount(sid);
  if (count == 0) return IntegrityLevel::kUnknown;
  return LevelOfRid(*GetSidSubAuthority(sid, count - 1u));
}

}  // namespace

IntegrityLevel Win32IntegrityLevels::OfProcess(std::uint32_t processId) {
  // Limited query access is granted on processes of any level.
  const KernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return IntegrityLevel::kUnknown;
  return LevelOfProcessHandle(process.Get());
}

IntegrityLevel Win32IntegrityLevels::OfOwnProcess() { return LevelOfProcessHandle(GetCurrentProcess()); }

}  // namespace quiltor
