#pragma once
// Random values for generated names. random_between follows a fast hardware counter (no state);
// random_int draws from the program-wide 15-bit generator that reseed_random seeds.
#include <optional>
#include <string>

namespace tessaly {

int random_between(int low, int high);
std::string random_digits(int n, int kind = 0);  // 0 any, 1 odd, other even
std::string random_alnum(int n);
std::string random_letters(int n, int letter_case = 0);  // 0 lower, 1 upper, other mixed
void reseed_random(std::optional<unsigned> seed = std::nullopt);
int random_int(int min = 0, int max = 2147483647);

}  // namespace tessaly
