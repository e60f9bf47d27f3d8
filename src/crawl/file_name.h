#pragma once

#include <string>

namespace harvel {

// GetFileName: the local file name of a URL, stored flat in the target's folder.
// Never empty and never a name that means a folder ("", ".", ".."); never holds "/"
// nor an invisible format character.
std::string GetFileName(const std::string& url);

// Replaces by "_" every invisible format character that `name` holds in UTF-8:
// the bidirectional marks, embeddings, overrides and isolates, the zero-width
// characters and the byte order mark. They would let a file manager show a
// name other than the one stored ("pic<U+202E>gpj.exe" shown as "picexe.jpg").
void ReplaceFormatCharacters(std::string& name);

}  // namespace harvel
