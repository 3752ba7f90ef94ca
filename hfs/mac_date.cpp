#include "hfs/mac_date.h"

#include <ctime>

namespace korvane {
namespace {

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
long long days_from_civil(long long year, unsigned month, unsigned day) {
    year -= month <= 2;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<long long>(dayOfEra) - 719468;
}

void civil_from_days(long long days, int& year, int& month, int& day) {
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned monthIndex = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    year = static_cast<int>(static_cast<long long>(yearOfEra) + era * 400 + (month <= 2));
}

}  // namespace

MacDateFields mac_date_to_fields(std::uint32_t date) {
    if (date <= kMacEpochOffset) return MacDateFields{};
    return mac_date_to_calendar(date);
}

MacDateFields mac_date_to_calendar(std::uint32_t date) {
    MacDateFields fields;
    const long long seconds = static_cast<long long>(date) - kMacEpochOffset;
    // Floor division: a time of day is never negative, also before 1970.
    const long long days = (seconds >= 0 ? seconds : seconds - 86399) / 86400;
    civil_from_days(days, fields.year, fields.month, fields.day);
    const long long inDay = seconds - days * 86400;
    fields.hour = static_cast<int>(inDay / 3600);
    fields.minute = static_cast<int>(inDay / 60 % 60);
    fields.second = static_cast<int>(inDay % 60);
    return fields;
}

std::uint32_t fields_to_mac_date(int year, int month, int day, int hour, int minute) {
    if (month < 1 || month > 12 || day < 1 || day > 31) return kMacEpochOffset;
    const long long seconds = days_from_civil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400 +
                              hour * 3600LL + minute * 60LL;
    const long long mac = seconds + kMacEpochOffset;
    if (seconds < 0) return kMacEpochOffset;
    if (mac > 0xFFFFFFFFLL) return 0xFFFFFFFFu;
    return static_cast<std::uint32_t>(mac);
}

std::uint32_t mac_now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const long long seconds = days_from_civil(local.tm_year + 1900, static_cast<unsigned>(local.tm_mon + 1),
                                              static_cast<unsigned>(local.tm_mday)) *
                                      86400 +
                              local.tm_hour * 3600LL + local.tm_min * 60LL + local.tm_sec;
    return static_cast<std::uint32_t>(seconds + kMacEpochOffset);
}

}  // namespace korvane
