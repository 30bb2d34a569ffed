#pragma once

namespace Version {
constexpr const char* Title = "Kelvane";
constexpr int Major = 2;
constexpr int Minor = 2;
constexpr int Revision = 0;
}  // namespace Version
