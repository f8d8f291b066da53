// DOS date and time words through the C library's local-time functions.
#include "platform/DosTime.h"

namespace zolvane::platform {
namespace {

constexpr int kFirstYear = 1980;
constexpr int kLastYear = 2107;

constexpr DosDateTime kEarliest{0, (0 << 9) | (1 << 5) | 1};
constexpr DosDateTime kLatest{(23 << 11) | (59 << 5) | 29,
                              ((kLastYear - kFirstYear) << 9) | (12 << 5) | 31};

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

}  // namespace

DosDateTime ToDosDateTime(std::time_t time) {
    std::tm local{};
    if (localtime_r(&time, &local) == nullptr) {
        return time < 0 ? kEarliest : kLatest;
    }
    const int year = local.tm_year + 1900;
    if (year < kFirstYear) {
        return kEarliest;
    }
    if (year > kLastYear) {
        return kLatest;
    }
    // A leap second (tm_sec 60) would not fit in five bits.
    const int seconds = local.tm_sec > 59 ? 59 : local.tm_sec;
    DosDateTime dos;
    dos.time = static_cast<std::uint16_t>((local.tm_hour << 11) | (local.tm_min << 5) | (seconds / 2));
    dos.date = static_cast<std::uint16_t>(((year - kFirstYear) << 9) | ((local.tm_mon + 1) << 5) |
                                          local.tm_mday);
    return dos;
}

std::optional<std::time_t> FromDosDateTime(DosDateTime dos) {
    const int seconds = (dos.time & 0x1f) * 2;
    const int minutes = (dos.time >> 5) & 0x3f;
    const int hours = dos.time >> 11;
    const int day = dos.date & 0x1f;
    const int month = (dos.date >> 5) & 0x0f;
    const int year = kFirstYear + (dos.date >> 9);
    if (seconds > 58 || minutes > 59 || hours > 23 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month)) {
        return std::nullopt;
    }
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hours;
    local.tm_min = minutes;
    local.tm_sec = seconds;
    local.tm_isdst = -1;  // let the C library decide whether summer time applied then
    const std::time_t time = std::mktime(&local);
    if (time == static_cast<std::time_t>(-1)) {
        return std::nullopt;
    }
    return time;
}

}  // namespace zolvane::platform
