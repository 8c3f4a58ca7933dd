#include "core/http/InternetDate.h"

#include <chrono>
#include <cstdio>
#include <vector>

#include "core/text/text.h"

namespace vpn {

namespace {

const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Days since 1970-01-01 of a proleptic Gregorian date (month 1..12).
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  y = yoe + era * 400;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y += m <= 2;
}

bool AllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

int ToInt(std::string_view s) {
  int v = 0;
  for (char c : s) v = v * 10 + (c - '0');
  return v;
}

int MonthIndex(std::string_view s) {
  if (s.size() < 3) return -1;
  for (int i = 0; i < 12; ++i)
    if (SameTextAscii(s.substr(0, 3), kMonths[i])) return i;
  return -1;
}

// "08:49:37" (seconds optional) into seconds of the day.
bool ParseClock(std::string_view s, int& out) {
  int parts[3] = {0, 0, 0};
  int n = 0;
  size_t start = 0;
  while (n < 3) {
    size_t colon = s.find(':', start);
    std::string_view p = s.substr(start, colon == std::string_view::npos ? s.npos : colon - start);
    if (!AllDigits(p) || p.size() > 2) return false;
    parts[n++] = ToInt(p);
    if (colon == std::string_view::npos) break;
    start = colon + 1;
  }
  if (n < 2 || parts[0] > 23 || parts[1] > 59 || parts[2] > 60) return false;
  out = parts[0] * 3600 + parts[1] * 60 + parts[2];
  return true;
}

}  // namespace

std::string FormatInternetDate(int64_t t) {
  int64_t days = t >= 0 ? t / 86400 : -((-t + 86399) / 86400);
  int64_t secs = t - days * 86400;
  int64_t y;
  int m, d;
  CivilFromDays(days, y, m, d);
  const int wd = static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s, %02d %s %04lld %02d:%02d:%02d GMT", kDays[wd], d,
                kMonths[m - 1], static_cast<long long>(y), static_cast<int>(secs / 3600),
                static_cast<int>(secs / 60 % 60), static_cast<int>(secs % 60));
  return buf;
}

std::optional<int64_t> ParseInternetDate(std::string_view text) {
  // Split into words at blanks and commas; a word with dashes ("06-Nov-94") is a date.
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == ',' || text[i] == '\t')) ++i;
    size_t b = i;
    while (i < text.size() && text[i] != ' ' && text[i] != ',' && text[i] != '\t') ++i;
    if (i > b) words.push_back(text.substr(b, i - b));
  }
  int day = -1, month = -1, clock = -1, zone = 0;
  int64_t year = -1;
  bool have_zone = false;
  for (std::string_view w : words) {
    if (w.find(':') != std::string_view::npos) {
      int c;
      if (clock >= 0 || !ParseClock(w, c)) return std::nullopt;
      clock = c;
    } else if (w.find('-') != std::string_view::npos && w.size() > 1 && w[0] != '-' &&
               w[0] != '+') {
      size_t d1 = w.find('-'), d2 = w.find('-', d1 + 1);
      if (d2 == std::string_view::npos || day >= 0) return std::nullopt;
      std::string_view sd = w.substr(0, d1), sm = w.substr(d1 + 1, d2 - d1 - 1),
                       sy = w.substr(d2 + 1);
      if (!AllDigits(sd) || sd.size() > 2 || !AllDigits(sy) || sy.size() > 4) return std::nullopt;
      day = ToInt(sd);
      month = MonthIndex(sm);
      if (month < 0 || sm.size() != 3) return std::nullopt;
      year = ToInt(sy);
      if (sy.size() <= 2) year += year < 70 ? 2000 : 1900;
    } else if ((w[0] == '+' || w[0] == '-') && w.size() == 5 && AllDigits(w.substr(1))) {
      const int hhmm = ToInt(w.substr(1));
      zone = (hhmm / 100 * 3600 + hhmm % 100 * 60) * (w[0] == '-' ? -1 : 1);
      have_zone = true;
    } else if (AllDigits(w)) {
      if (w.size() <= 2 && day < 0) {
        day = ToInt(w);
      } else if (w.size() <= 4 && year < 0) {
        year = ToInt(w);
        if (w.size() <= 2) year += year < 70 ? 2000 : 1900;
      } else {
        return std::nullopt;
      }
    } else if (SameTextAscii(w, "GMT") || SameTextAscii(w, "UTC") || SameTextAscii(w, "UT") ||
               SameTextAscii(w, "Z")) {
      if (have_zone) return std::nullopt;
      have_zone = true;
    } else if (int mi = MonthIndex(w); mi >= 0 && w.size() == 3 && month < 0) {
      month = mi;
    } else {
      // A weekday, long or short; anything else is not a date.
      bool weekday = false;
      for (const char* d : kDays)
        if (w.size() >= 3 && SameTextAscii(w.substr(0, 3), d)) weekday = true;
      if (!weekday) return std::nullopt;
    }
  }
  if (day < 1 || month < 0 || year < 0 || clock < 0) return std::nullopt;
  static const int kMonthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (day > kMonthDays[month]) return std::nullopt;
  return DaysFromCivil(year, month + 1, day) * 86400 + clock - zone;
}

int64_t UnixNow() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace vpn
