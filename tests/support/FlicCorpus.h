#pragma once
// The expected pictures of the FLIC files of tests/data/flic: per frame the MD5 of the index
// plane (width x height bytes, top row first), as ffmpeg and Pillow decode them.

#include <QByteArray>
#include <QCryptographicHash>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace kfm::test {

inline std::string md5Hex(const std::vector<std::uint8_t>& bytes) {
    const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<qsizetype>(bytes.size()));
    return QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex().toStdString();
}

// The index MD5 per frame of flic/expected/<file>.frames.tsv: ffmpeg's column, or Pillow's where
// ffmpeg gave none. For a file with a ring frame the list ends with it.
inline std::vector<std::string> expectedFlicFrames(const std::string& file) {
    std::ifstream in(testDataPath("flic/expected/" + file + ".frames.tsv"));
    std::vector<std::string> frames;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string number, ffmpeg, pillow;
        fields >> number >> ffmpeg >> pillow;
        frames.push_back(ffmpeg != "-" ? ffmpeg : pillow);
    }
    return frames;
}

} // namespace kfm::test
