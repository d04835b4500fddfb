// Finding a password in text that a site wrote back, in whatever form it wrote it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace verrimo {

// What the password is shown as wherever a request or an answer is reported.
inline constexpr std::string_view kMaskedPassword = "********";

// The text with every occurrence of a secret replaced by kMaskedPassword. A secret is found raw
// and with any of its bytes percent-encoded, in either case of hex digits, with the percent sign
// itself encoded once more ("%2520"), and with a space as "+": every form a form submission, a
// path or a query puts it in. Secrets are tried longest first; empty ones are ignored.
std::string maskSecrets(std::string_view text, const std::vector<std::string>& secrets);

}  // namespace verrimo
