#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace harvel {

// One iconv conversion between two encodings named as iconv names them
// ("UTF-8", "CP932", "UTF-16LE"), closed when it goes out of scope.
class TextConverter {
 public:
  TextConverter(const char* to, const char* from);
  ~TextConverter();
  TextConverter(const TextConverter&) = delete;
  TextConverter& operator=(const TextConverter&) = delete;

  // Whether iconv knows both encodings.
  bool ok() const;

  // Converts `in` as far as it goes and appends the result to `out`. Returns
  // the number of bytes of `in` that were converted: all of them on success,
  // fewer when a byte cannot be read or `in` ends inside a character.
  std::size_t Append(std::string_view in, std::string& out);

 private:
  void* cd_;
};

}  // namespace harvel
