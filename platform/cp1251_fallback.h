#pragma once
// The closest cp1251 form of a character cp1251 lacks, so that a book loses as little as it can:
// accents and stress marks dropped (é → e, а́ → а), compatibility forms unfolded (ﬁ → fi,
// full-width letters), typographic look-alikes made plain (‐ ‑ ‒ − → -, ′ → ', other quotes,
// thin and other spaces → blank), Latin letters spelled out (ß → ss, ø → o). What has no such
// form (CJK, Hebrew, emoji...) has none here and becomes "?" in the callers.
#include <cstddef>

namespace lumira {

// Writes the form of `u` (a character the cp1251 table lacks) at `dst` and returns the end of
// what it wrote, or nullptr when `u` has no form. A combining mark writes nothing; when the byte
// just before `dst` (not before `start`, where the output began) joins with it into one cp1251
// letter (и + ̆ → й, е + ̈ → ё) that byte is replaced by the letter. Writes at most as many bytes
// as `u` takes in UTF-8, and never more than three. Safe on any thread; each character's form
// is worked out once.
char* PutCp1251Form(char32_t u, char* start, char* dst);

} // namespace lumira
