// SPDX-License-Identifier: MIT
// The input and output messages shared by every reader and writer that touches
// files or compressed data, each defined once, and the helpers that throw them
// with the system's or zlib's error code.
#pragma once

namespace Korvel::detail {

inline constexpr wchar_t kFileOpenFailed[] = L"Failed to open the file [%s] Error [0x%08x]";
inline constexpr wchar_t kFileSizeFailed[] =
    L"Failed to get the size of the file [%s] Error [0x%08x]";
inline constexpr wchar_t kFileReadFailed[] =
    L"Failed to read the contents of the file [%s] Error [0x%08x]";
// Starting a read of one chunk of a file read in chunks.
inline constexpr wchar_t kChunkReadFailed[] =
    L"Failed to read the contents of the file. Error [0x%08x]";
// Creating a file for output, or writing a whole byte stream to it.
inline constexpr wchar_t kFileWriteDataFailed[] =
    L"Failed to write data to the file [%s] error [0x%08X]";
// Starting the overlapped writes of a file.
inline constexpr wchar_t kFileOverlapFailed[] =
    L"Failed to create event for file overlap [%s] error [0x%08X]";
// One of the writes of a file written in chunks.
inline constexpr wchar_t kFileWriteFailed[] = L"Failed to write data to the file. Error [0x%08X]";
// zlib's return code when deflating fails.
inline constexpr wchar_t kCompressFailed[] = L"Failed to compress data. [Error Code: %d]";

// Reading compressed input: the inflated size passed the limit, the stream
// ended early, bytes follow its end, or zlib found it corrupt (its message).
inline constexpr wchar_t kInflatedTooLarge[] = L"The inflated input exceeds the limit of %I64u bytes";
inline constexpr wchar_t kCompressedTruncated[] = L"The compressed input is truncated";
inline constexpr wchar_t kCompressedTrailing[] = L"The compressed input has data after its end";
inline constexpr wchar_t kCompressedCorrupt[] = L"The compressed input is corrupt: %S";

// CKvException with a message that quotes a file path and a system error code.
[[noreturn]] void ThrowFileError(const wchar_t* format, const wchar_t* path, int error);
// CKvException with a message that quotes a system error code.
[[noreturn]] void ThrowFileError(const wchar_t* format, int error);
// CKvException "Failed to compress data. [Error Code: <code>]".
[[noreturn]] void ThrowCompressFailed(int code);
[[noreturn]] void ThrowInflatedTooLarge(unsigned long long limit);
[[noreturn]] void ThrowCompressedTruncated();
[[noreturn]] void ThrowCompressedTrailing();
// zlib's message, or "unknown error" for none.
[[noreturn]] void ThrowCompressedCorrupt(const char* message);

}  // namespace Korvel::detail
