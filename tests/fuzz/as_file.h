// What the recording targets share: the fuzzer's bytes as a file the reader can open, once as
// they are and once more with every line's checksum made right, so that mutations get past
// the chain to the fields and the order behind it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// Calls `use` with the path of a regular file holding the bytes, then, if that differs, with
// the path of one holding them sealed.
void AsFiles(const uint8_t* data, size_t size, const std::function<void(const char*)>& use);

// The bytes with every line that has a newline given the checksum it should have.
std::string Sealed(const std::string& bytes);
