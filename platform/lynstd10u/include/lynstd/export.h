#pragma once
// The foundation is built with hidden visibility; what callers may use is marked LYNSTD_API.
#define LYNSTD_API __attribute__((visibility("default")))
