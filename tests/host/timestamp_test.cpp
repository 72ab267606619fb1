#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "host/host_internal.h"

namespace {

// Thursday, 5 March 2026, 09:03:07, winter time.
std::tm thursdayFifthOfMarch() {
  std::tm when{};
  when.tm_year = 126, when.tm_mon = 2, when.tm_mday = 5, when.tm_wday = 4, when.tm_yday = 63;
  when.tm_hour = 9, when.tm_min = 3, when.tm_sec = 7;
  return when;
}

std::string formatted(const char* pattern, const std::tm& when) {
  char text[256];
  std::snprintf(text, sizeof text, "%s", pattern);
  formatTimestampAt(text, when);
  return text;
}

TEST(FormatTimestamp, ReplacesEveryCodeWithGermanNames) {
  std::tm when = thursdayFifthOfMarch();
  EXPECT_EQ(formatted("&M-&T &WL", when), "03-05 Donnerstag");
  EXPECT_EQ(formatted("&W, &T. &ML", when), "Do, 05. M\xE4rz");  // a single byte 0xE4
  EXPECT_EQ(formatted("&JJJ/&J &LL", when), "2026/26 064");
  EXPECT_EQ(formatted("&H:&I:&S - ", when), "09:03:07 - ");
  EXPECT_EQ(formatted("&W&W &ML&M &Z", when), "DoDo M\xE4rz03 +0100");
  EXPECT_EQ(formatted("&j &h &x plain", when), "&j &h &x plain");  // codes keep their letter case
  when.tm_isdst = 1;
  EXPECT_EQ(formatted("&Z", when), "+0200");
  // The last day of a leap year.
  when.tm_year = 120;
  when.tm_mon = 11;
  when.tm_mday = 31;
  when.tm_yday = 365;
  EXPECT_EQ(formatted("&LL &T.&M.&JJJ &ML &WL", when), "366 31.12.2020 Dezember Donnerstag");
}

// The current time moved by an offset to a fixed instant, in a zone given by
// its rule, so that the test does not depend on the machine's zone.
std::string formattedAt(const char* zone, std::time_t instant, const char* pattern) {
  setenv("TZ", zone, 1);
  tzset();
  char text[256];
  std::snprintf(text, sizeof text, "%s", pattern);
  formatTimestamp(text, static_cast<int>(instant - std::time(nullptr)));
  unsetenv("TZ");
  tzset();
  return text;
}

TEST(FormatTimestamp, ZoneCodeIgnoresTheMachinesZone) {
  const std::time_t winterNoon = 1736942400;  // 2025-01-15 12:00 UTC
  const std::time_t summerNoon = 1751371200;  // 2025-07-01 12:00 UTC
  const char* central = "CET-1CEST,M3.5.0,M10.5.0/3";
  const char* eastern = "EST5EDT,M3.2.0,M11.1.0";
  for (const char* zone : {central, eastern}) {
    EXPECT_EQ(formattedAt(zone, winterNoon, "&T.&M.&JJJ &Z"), "15.01.2025 +0100") << zone;
    EXPECT_EQ(formattedAt(zone, summerNoon, "&T.&M.&JJJ &Z"), "01.07.2025 +0200") << zone;
  }
  EXPECT_EQ(formattedAt("UTC0", summerNoon, "&Z"), "+0100");
}

}  // namespace
