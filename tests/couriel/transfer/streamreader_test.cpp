#include "couriel/transfer/streamreader.h"
#include "couriel/transfer/transferview.h"

#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

namespace {

using couriel::StreamReader;

// What the reader makes of the chunks, one word an item: H<size>:<name>, D:<bytes> (pieces of
// one file's data joined), F (file end), E (end mark), I<count> (ignored bytes).
std::string trace(const std::vector<std::string>& chunks) {
    StreamReader reader;
    std::string text;
    bool inData = false;
    for (const std::string& chunk : chunks) {
        EXPECT_TRUE(reader.append(chunk));
        while (const auto item = reader.next()) {
            const auto* data = std::get_if<StreamReader::Data>(&*item);
            if (data != nullptr && inData) {
                text += data->bytes;
                continue;
            }
            inData = data != nullptr;
            text += text.empty() ? "" : " ";
            if (const auto* h = std::get_if<StreamReader::Header>(&*item)) {
                text += "H" + std::to_string(h->size) + ":" + h->name;
            } else if (data != nullptr) {
                text += "D:" + std::string(data->bytes);
            } else if (std::holds_alternative<StreamReader::FileEnd>(*item)) {
                text += "F";
            } else if (std::holds_alternative<StreamReader::End>(*item)) {
                text += "E";
            } else {
                text += "I" + std::to_string(std::get<StreamReader::Ignored>(*item).size);
            }
        }
    }
    return text;
}

TEST(StreamReaderTest, HeadersSizesAndUnknownBytes) {
    const std::vector<std::tuple<const char*, std::vector<std::string>, std::string>> cases = {
        {"case does not matter", {"file\r1\rLower\r", "z", "eNd"}, "H1:Lower D:z F E"},
        {"no digits give 0", {"FILE\r\rnone\r"}, "H0:none F"},
        {"digits end at another character", {"FILE\r12abc\rx\r"}, "H12:x"},
        {"a plus sign", {"FILE\r+2\rx\rab"}, "H2:x D:ab F"},
        {"minus zero is zero", {"FILE\r-0\rx\r"}, "H0:x F"},
        {"a letter first gives 0", {"FILE\rx1\rx\r"}, "H0:x F"},
        {"text after the name belongs to the data", {"FILE\r2\rx\rabEND"}, "H2:x D:ab F E"},
        {"a negative size is ignored", {"FILE\r-5\rneg.txt\r", "END"}, "I16 E"},
        {"a size beyond 32 bits is ignored", {"FILE\r2147483648\rbig\r"}, "I20"},
        {"the largest size", {"FILE\r2147483647\rbig\r"}, "H2147483647:big"},
        {"an unknown chunk is dropped whole", {"hello", "END"}, "I5 E"},
        {"FILE without its CR is no header", {"FILEX\r1\rx\r"}, "I10"},
        {"a beginning waits for the rest", {"E", "N"}, ""},
        {"an over-long header is dropped", {"FILE\r1\r" + std::string(5000, 'n') + "\r"}, "I5008"},
    };
    for (const auto& [what, chunks, expected] : cases) {
        EXPECT_EQ(trace(chunks), expected) << what;
    }
}

TEST(StreamReaderTest, EveryCutOfAStreamReadsTheSame) {
    const std::string stream = "FILE\r4\rsub\\x\rdataFILE\r0\re\rFILE\r2\ry\rEND";
    const std::string whole = trace({stream});
    ASSERT_EQ(whole, "H4:sub\\x D:data F H0:e F H2:y D:EN F I1");
    for (std::size_t at = 1; at < stream.size(); ++at) {
        EXPECT_EQ(trace({stream.substr(0, at), stream.substr(at)}), whole) << "cut at " << at;
    }
}

TEST(StreamReaderTest, BytesBeyondTheBacklogAreRefused) {
    StreamReader reader;
    ASSERT_TRUE(reader.append("FILE\r1\rx\r"));
    const std::string lot(StreamReader::kMaxBacklog, 'd');
    EXPECT_FALSE(reader.append(lot));
    EXPECT_TRUE(reader.append(std::string_view(lot).substr(0, 100)));
}

TEST(GoAheadReaderTest, CountsGoAheadsAcrossReadsAndDropsTheRest) {
    const std::vector<std::pair<std::vector<std::string>, int>> cases = {
        {{"UPLOADING"}, 1},          {{"UPLO", "ADING"}, 1}, {{"uploading"}, 1},
        {{"UPLOADINGUPLOADING"}, 2}, {{"xUPLOADING"}, 0},    {{"UPLOADX", "ING"}, 0},
        {{"UPLOADING", "UP"}, 1},
    };
    for (const auto& [chunks, expected] : cases) {
        couriel::GoAheadReader reader;
        int count = 0;
        for (const std::string& chunk : chunks) {
            count += reader.append(chunk);
        }
        EXPECT_EQ(count, expected) << chunks.front();
    }
}

// Halves go to the even percent; sizes up to 2 GiB do not overflow.
TEST(ProgressTest, RoundsToTheNearestPercentHalvesToEven) {
    const std::vector<std::tuple<std::int64_t, std::int64_t, int>> cases = {
        {1, 200, 0}, {3, 200, 2}, {5, 200, 2}, {2, 3, 67}, {0, 0, 0}, {2147483647, 2147483647, 100},
    };
    for (const auto& [position, size, percent] : cases) {
        EXPECT_EQ(couriel::progressPercent(position, size), percent) << position << "/" << size;
    }
}

} // namespace
