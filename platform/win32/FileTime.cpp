#include "win32/FileTime.h"

#include "win32/WinError.h"

namespace {

constexpr std::int64_t kTicksPerSecond = 10'000'000;
// Seconds from 1601-01-01 to 1970-01-01.
constexpr std::int64_t kEpochDifference = 11'644'473'600;

std::uint64_t Ticks(const FILETIME& t) {
  return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

FILETIME FromTicks(std::uint64_t ticks) {
  return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
}

// Windows converts with the bias in force now, not the one of the converted date.
std::int64_t CurrentBiasTicks() {
  time_t now = time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  return static_cast<std::int64_t>(local.tm_gmtoff) * kTicksPerSecond;
}

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

}  // namespace

BOOL FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local) {
  if (!utc || !local) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *local = FromTicks(Ticks(*utc) + CurrentBiasTicks());
  return TRUE;
}

BOOL LocalFileTimeToFileTime(const FILETIME* local, FILETIME* utc) {
  if (!utc || !local) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *utc = FromTicks(Ticks(*local) - CurrentBiasTicks());
  return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* time, SYSTEMTIME* out) {
  if (!time || !out || (time->dwHighDateTime & 0x80000000)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::uint64_t ticks = Ticks(*time);
  std::int64_t seconds = static_cast<std::int64_t>(ticks / kTicksPerSecond) - kEpochDifference;
  std::int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
  std::int64_t rest = seconds - days * 86400;
  // Civil date from days since 1970 (proleptic Gregorian).
  std::int64_t z = days + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  out->wYear = static_cast<WORD>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
  out->wMonth = static_cast<WORD>(m);
  out->wDay = static_cast<WORD>(d);
  out->wDayOfWeek = static_cast<WORD>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
  out->wHour = static_cast<WORD>(rest / 3600);
  out->wMinute = static_cast<WORD>(rest / 60 % 60);
  out->wSecond = static_cast<WORD>(rest % 60);
  out->wMilliseconds = static_cast<WORD>(ticks % kTicksPerSecond / 10'000);
  return TRUE;
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* time, FILETIME* out) {
  static const unsigned kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (!time || !out || time->wYear < 1601 || time->wYear > 30827 || time->wMonth < 1 || time->wMonth > 12 ||
      time->wDay < 1 || time->wDay > kDays[time->wMonth - 1] || time->wHour > 23 || time->wMinute > 59 ||
      time->wSecond > 59 || time->wMilliseconds > 999) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  bool leap = (time->wYear % 4 == 0 && time->wYear % 100 != 0) || time->wYear % 400 == 0;
  if (time->wMonth == 2 && time->wDay == 29 && !leap) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::int64_t seconds = DaysFromCivil(time->wYear, time->wMonth, time->wDay) * 86400 + time->wHour * 3600 +
                         time->wMinute * 60 + time->wSecond + kEpochDifference;
  *out = FromTicks(static_cast<std::uint64_t>(seconds) * kTicksPerSecond + time->wMilliseconds * 10'000ull);
  return TRUE;
}

FILETIME FileTimeFromTimespec(const timespec& time) {
  std::int64_t ticks = (static_cast<std::int64_t>(time.tv_sec) + kEpochDifference) * kTicksPerSecond + time.tv_nsec / 100;
  return FromTicks(ticks < 0 ? 0 : static_cast<std::uint64_t>(ticks));
}

timespec TimespecFromFileTime(const FILETIME& time) {
  std::uint64_t ticks = Ticks(time);
  timespec out{};
  out.tv_sec = static_cast<time_t>(static_cast<std::int64_t>(ticks / kTicksPerSecond) - kEpochDifference);
  out.tv_nsec = static_cast<long>(ticks % kTicksPerSecond * 100);
  return out;
}
