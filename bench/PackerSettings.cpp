// Packs every file of a folder with the -lh5- packer alone, under settings given on the
// command line, and prints the packed total and the CPU time: the size/time trade-off of
// the packer's settings, without the archive around it.
//
//   packer-settings FOLDER [maxChain=N] [skipLength=N] [searchedInside=N] [niceLength=N]
//                          [blockCodes=N] [firstPasses=N] [passes=N]
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "archiver/Lh5Encoder.h"

namespace {

using zolvane::archiver::ByteSink;
using zolvane::archiver::ByteSource;
using zolvane::archiver::EncodeOutcome;
using zolvane::archiver::EncoderSettings;
using zolvane::archiver::Lh5Encoder;

class MemorySource : public ByteSource {
public:
    explicit MemorySource(const std::vector<std::uint8_t>& data) : data_(data) {}
    long read(std::uint8_t* out, std::size_t size) override {
        size = std::min(size, data_.size() - at_);
        std::memcpy(out, data_.data() + at_, size);
        at_ += size;
        return static_cast<long>(size);
    }

private:
    const std::vector<std::uint8_t>& data_;
    std::size_t at_ = 0;
};

class CountingSink : public ByteSink {
public:
    bool write(const std::uint8_t*, std::size_t) override { return true; }
};

bool Apply(EncoderSettings& settings, const std::string& argument) {
    const auto equals = argument.find('=');
    if (equals == std::string::npos) {
        return false;
    }
    const std::string name = argument.substr(0, equals);
    const auto value = static_cast<unsigned>(std::stoul(argument.substr(equals + 1)));
    struct Field {
        const char* name;
        unsigned EncoderSettings::*member;
    };
    static const Field fields[] = {
        {"maxChain", &EncoderSettings::maxChain},
        {"niceLength", &EncoderSettings::niceLength},
        {"skipLength", &EncoderSettings::skipLength},
        {"searchedInside", &EncoderSettings::searchedInside},
        {"blockCodes", &EncoderSettings::blockCodes},
        {"firstPasses", &EncoderSettings::firstPasses},
        {"passes", &EncoderSettings::passes},
    };
    for (const Field& field : fields) {
        if (name == field.name) {
            settings.*field.member = value;
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: packer-settings FOLDER [name=value ...]\n");
        return 2;
    }
    EncoderSettings settings;
    for (int i = 2; i < argc; ++i) {
        if (!Apply(settings, argv[i])) {
            std::fprintf(stderr, "packer-settings: unknown setting %s\n", argv[i]);
            return 2;
        }
    }
    // Files in name order, as the archiver takes them; read before the clock starts.
    std::vector<std::filesystem::path> paths;
    for (const auto& entry : std::filesystem::directory_iterator(argv[1])) {
        if (entry.is_regular_file()) {
            paths.push_back(entry.path());
        }
    }
    std::sort(paths.begin(), paths.end());
    std::vector<std::vector<std::uint8_t>> files;
    std::uint64_t input = 0;
    for (const auto& path : paths) {
        std::ifstream in(path, std::ios::binary);
        files.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        input += files.back().size();
    }

    Lh5Encoder encoder(settings);
    CountingSink sink;
    std::uint64_t output = 0;
    const std::clock_t start = std::clock();
    for (const auto& file : files) {
        MemorySource source(file);
        std::uint64_t packed = 0;
        const std::uint64_t limit = file.empty() ? 0 : file.size() - 1;
        const EncodeOutcome outcome = encoder.encode(source, sink, limit, packed);
        output += outcome == EncodeOutcome::Packed ? packed : file.size();
    }
    const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    std::printf("%zu files, %llu bytes -> %llu bytes (%.3f %%) in %.2f CPU s\n", files.size(),
                static_cast<unsigned long long>(input), static_cast<unsigned long long>(output),
                input != 0 ? 100.0 * static_cast<double>(output) / static_cast<double>(input) : 0.0,
                seconds);
    return 0;
}
