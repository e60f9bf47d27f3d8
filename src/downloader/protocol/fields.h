#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace harvel {

// The payload of the hello, field request and field notice messages: a list
// of named texts, so a message can carry more without a new layout. Each field
// is the key length (4 bytes, big-endian), the key, the value length (4 bytes,
// big-endian), the value. Keys are lower-case ASCII; values are UTF-8 carried
// byte for byte. A reader ignores keys it does not know.
using Fields = std::vector<std::pair<std::string, std::string>>;

std::string EncodeFields(const Fields& fields);

// nullopt when the lengths do not add up to exactly `payload`.
std::optional<Fields> DecodeFields(std::string_view payload);

// The value of the first field named `key`, if any.
std::optional<std::string_view> FieldValue(const Fields& fields, std::string_view key);

// A decimal field: nullopt when missing or not a whole number in range.
std::optional<long long> NumberField(const Fields& fields, std::string_view key);
// The same for a field's value.
std::optional<long long> NumberValue(std::string_view text);

}  // namespace harvel
