#include "core/patterns/random.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <utility>

#if defined(__x86_64__) || defined(__i386__) || defined(_M_X64) || defined(_M_IX86)
#include <x86intrin.h>
#define TESSALY_HAVE_TSC 1
#endif

namespace tessaly {
namespace {

// The low 32 bits of a fast-running counter: the time-stamp counter where the processor has
// one, a nanosecond steady clock elsewhere.
uint32_t fast_counter() {
#ifdef TESSALY_HAVE_TSC
  return static_cast<uint32_t>(__rdtsc());
#else
  return static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
#endif
}

// The counter scrambled with a call count. The raw counter is no good alone: in a tight loop it
// moves by nearly the same step each call, and on many machines its low bits never change
// (it advances by an even amount), so "value mod 2" or "mod 10" would keep repeating.
uint32_t counter_sample() {
  static std::atomic<uint64_t> calls{0};
  uint64_t z = (static_cast<uint64_t>(fast_counter()) << 20) +
               calls.fetch_add(0x9E3779B97F4A7C15ull, std::memory_order_relaxed);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return static_cast<uint32_t>(z ^ (z >> 31));
}

uint32_t tick_ms() {
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

// The program-wide 15-bit generator: seed = seed * 214013 + 2531011, output bits 16..30.
// Seeded from the clock at start so that runs differ even before a reseed.
std::atomic<uint32_t> g_seed{tick_ms() ^ fast_counter()};
std::atomic<uint32_t> g_reseed_counter{0};

int next_15_bits() {
  uint32_t seed = g_seed.load(std::memory_order_relaxed);
  uint32_t next;
  do {
    next = seed * 214013u + 2531011u;
  } while (!g_seed.compare_exchange_weak(seed, next, std::memory_order_relaxed));
  return static_cast<int>((next >> 16) & 0x7FFF);
}

char digit(int v) { return static_cast<char>('0' + v); }

}  // namespace

int random_between(int low, int high) {
  if (high < low) return 0;
  uint32_t x = counter_sample() * 23u + 7u;
  uint64_t span = static_cast<uint64_t>(static_cast<int64_t>(high) - low) + 1;  // up to 2^32
  return static_cast<int>(static_cast<int64_t>(low) + static_cast<int64_t>(x % span));
}

std::string random_digits(int n, Digits digits) {
  std::string out;
  for (int i = 0; i < n; ++i) {
    if (digits == Digits::Any)
      out += digit(random_between(0, 9));
    else if (digits == Digits::Odd)
      out += digit(random_between(0, 4) * 2 + 1);
    else
      out += digit(random_between(0, 4) * 2);
  }
  return out;
}

std::string random_alnum(int n) {
  std::string out;
  for (int i = 0; i < n; ++i) {
    switch (random_between(1, 3)) {
      case 1:
        out += digit(random_between(0, 9));
        break;
      case 2:
        out += static_cast<char>('A' + random_between(0, 25));
        break;
      default:
        out += static_cast<char>('a' + random_between(0, 25));
        break;
    }
  }
  return out;
}

std::string random_letters(int n, LetterCase letter_case) {
  std::string out;
  for (int i = 0; i < n; ++i) {
    bool upper =
        letter_case == LetterCase::Upper || (letter_case == LetterCase::Mixed && random_between(1, 2) == 2);
    out += static_cast<char>((upper ? 'A' : 'a') + random_between(0, 25));
  }
  return out;
}

void reseed_random(std::optional<unsigned> seed) {
  if (seed) {
    g_seed.store(*seed, std::memory_order_relaxed);
    return;
  }
  // Tick count plus a counter that moves on by 100..355 each time, so two reseeds within the
  // same millisecond still differ.
  uint32_t tick = tick_ms();
  uint32_t counter = g_reseed_counter.load(std::memory_order_relaxed);
  uint32_t advanced;
  do {
    advanced = counter + ((tick + counter) % 256) + 100;
  } while (!g_reseed_counter.compare_exchange_weak(counter, advanced, std::memory_order_relaxed));
  g_seed.store(tick + counter, std::memory_order_relaxed);
}

int random_int(int min, int max) {
  if (min < 0) min = 0;
  if (max < 0) max = 0;
  if (min > max) std::swap(min, max);
  if (min == max) return min;
  int64_t span = static_cast<int64_t>(max) - min + 1;
  return static_cast<int>(min + next_15_bits() % span);
}

}  // namespace tessaly
