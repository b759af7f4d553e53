#pragma once

// How the keystroke benchmarks report what they timed.

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

namespace gbkhex::bench {

inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// 100000 as "100,000".
inline std::string Thousands(long long n) {
  const std::string digits = std::to_string(n);
  std::string grouped;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i != 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

}  // namespace gbkhex::bench
