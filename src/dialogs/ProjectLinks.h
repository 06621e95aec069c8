#pragma once

// Where the menu's web items lead. Reserved example addresses until the
// project has pages of its own.
namespace ProjectLinks {
inline constexpr const char* kProductPage = "https://example.org/travimetra/";
inline constexpr const char* kDonationPage = "https://example.org/travimetra/donate";
inline constexpr const char* kDeveloperAddress = "travimetra@example.org";
} // namespace ProjectLinks
