// Reads a text file line by line in large blocks, so a file of hundreds of
// megabytes is never held in memory whole. Lines end at LF (a CR before it is
// dropped); views stay valid until the next call.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ortello {

class TLineReader {
public:
    // Raises EFOpenError when the file cannot be opened.
    explicit TLineReader(const std::string& path, size_t blockSize = 1 << 20);
    // Over bytes in memory (not copied).
    explicit TLineReader(std::string_view bytes);
    ~TLineReader();
    TLineReader(const TLineReader&) = delete;
    TLineReader& operator=(const TLineReader&) = delete;

    // The next line, or false at the end. Raises EReadError on a read failure.
    bool Next(std::string_view& line);
    // Back to the first line.
    void Rewind();
    // Lines in the whole input (a last line without LF counts).
    size_t CountLines();

private:
    bool Fill();

    int fd_ = -1;
    std::string path_;
    std::string_view memory_;
    bool inMemory_ = false;
    std::vector<char> block_;
    size_t begin_ = 0, end_ = 0;
    bool eof_ = false;
    std::string carry_;
};

}  // namespace ortello
