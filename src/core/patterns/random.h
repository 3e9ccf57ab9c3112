#pragma once
// Random values for generated names. random_between follows a fast hardware counter (scrambled
// with a call count, so that draws in a tight loop still cover the range); random_int draws from
// the program-wide 15-bit generator (seed * 214013 + 2531011, bits 16..30) that reseed_random
// seeds. All of them are safe to call from any thread.
#include <optional>
#include <string>

namespace tessaly {

// low..high inclusive; 0 when high < low.
int random_between(int low, int high);
enum class Digits { Any, Odd, Even };
std::string random_digits(int n, Digits digits = Digits::Any);
std::string random_alnum(int n);
enum class LetterCase { Lower, Upper, Mixed };
std::string random_letters(int n, LetterCase letter_case = LetterCase::Lower);
// With a seed: from it. Without: tick count plus an internal counter, which then moves on by
// ((tick + counter) mod 256) + 100, so two reseeds in the same millisecond differ.
void reseed_random(std::optional<unsigned> seed = std::nullopt);
// Negative bounds count as 0, reversed bounds are swapped, equal bounds give that value;
// otherwise min + (15-bit output mod (max - min + 1)), so never above min + 32767.
int random_int(int min = 0, int max = 2147483647);

}  // namespace tessaly
