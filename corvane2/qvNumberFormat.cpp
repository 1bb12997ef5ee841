#include "corvane2/qvNumberFormat.h"

std::string qvGroupedNumber(long long value) {
  const bool negative = value < 0;
  unsigned long long magnitude = negative ? 0ULL - static_cast<unsigned long long>(value)
                                          : static_cast<unsigned long long>(value);
  std::string digits = std::to_string(magnitude);
  std::string grouped;
  grouped.reserve(digits.size() + digits.size() / 3 + 1);
  const std::size_t lead = digits.size() % 3 == 0 ? 3 : digits.size() % 3;
  grouped.append(digits, 0, lead);
  for (std::size_t i = lead; i < digits.size(); i += 3) {
    grouped += ',';
    grouped.append(digits, i, 3);
  }
  return negative ? "-" + grouped : grouped;
}
