#pragma once
// Macintosh dates: seconds since 1904-01-01 00:00:00 local wall-clock time.
// They are split into calendar fields as they stand, with no time-zone or
// daylight-saving shift, so a date shows the wall-clock time the Macintosh
// recorded.

#include <cstdint>

namespace korvane {

// Seconds between 1904-01-01 and 1970-01-01.
inline constexpr std::uint32_t kMacEpochOffset = 2082844800u;

struct MacDateFields {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// date is the value in host order (loaded with load_be32). Dates on or before
// 1970-01-01 00:00:00 come out as 1970-01-01 00:00.
MacDateFields mac_date_to_fields(std::uint32_t date);

// The calendar fields of any date, 1904 on, for file times that reach back
// before 1970.
MacDateFields mac_date_to_calendar(std::uint32_t date);

// Host-order date for the given wall-clock fields (seconds 0). Fields before
// 1970 give the 1970 epoch.
std::uint32_t fields_to_mac_date(int year, int month, int day, int hour, int minute);

// The PC's local wall-clock time as a Macintosh date, host order.
std::uint32_t mac_now();

}  // namespace korvane
