// Screen pictures, slide show pages and group files: the work behind opening a slide show,
// saving a screen and unpacking a group, without the disk.
#include <benchmark/benchmark.h>

#include "files/group_file.h"
#include "image/png_writer.h"
#include "image/screen_bitmap.h"
#include "slideshow/slide_show.h"
#include "tests/unit/fault_file_system.h"

namespace {

std::array<std::uint8_t, travex::slides::kPageBytes> busy_screen() {
    std::array<std::uint8_t, travex::slides::kPageBytes> screen{};
    for (std::size_t i = 0; i < screen.size(); ++i) {
        screen[i] = static_cast<std::uint8_t>((i * 37) ^ (i >> 3));
    }
    return screen;
}

void BM_DecodeSlidePage(benchmark::State& state) {
    const travex::Bytes compressed = travex::slides::compress_page(busy_screen());
    for (auto _ : state) {
        benchmark::DoNotOptimize(travex::slides::decode_page(compressed));
    }
}
BENCHMARK(BM_DecodeSlidePage);

void BM_ScreenToBitmapFile(benchmark::State& state) {
    const auto screen = busy_screen();
    const travex::image::ScreenData data{132, travex::Bytes(screen.begin(), screen.end())};
    for (auto _ : state) {
        benchmark::DoNotOptimize(travex::image::bitmap_file(travex::image::frame_screen(data)));
    }
}
BENCHMARK(BM_ScreenToBitmapFile);

void BM_ScreenToPng(benchmark::State& state) {
    const auto screen = busy_screen();
    const auto image =
        travex::image::frame_screen({132, travex::Bytes(screen.begin(), screen.end())});
    for (auto _ : state) {
        benchmark::DoNotOptimize(travex::image::png_black_and_white(
            image.framed_width(), travex::image::kFramedHeight, travex::image::dark_pixels(image)));
    }
}
BENCHMARK(BM_ScreenToPng);

// A group of 100 files of 10 kB, unpacked into memory.
void BM_UnpackGroup(benchmark::State& state) {
    std::vector<travex::group::Member> members;
    for (int i = 0; i < 100; ++i) {
        members.push_back({"file" + std::to_string(i) + ".g6p", travex::Bytes(10000, 0x5A)});
    }
    const travex::Bytes group = travex::group::build_group_image("all.g6g", members);
    struct Never final : travex::FileQuestions {
        travex::OverwriteAnswer ask_overwrite(std::string_view) override {
            return travex::OverwriteAnswer::overwrite;
        }
        travex::SkipAnswer ask_skip(travex::MessageId, std::string_view) override {
            return travex::SkipAnswer::skip;
        }
        void report(travex::MessageId) override {}
    } never;
    for (auto _ : state) {
        travex::testing::FaultFileSystem fs;
        benchmark::DoNotOptimize(travex::group::unpack_group(fs, group, "/out", never));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * group.size()));
}
BENCHMARK(BM_UnpackGroup);

}  // namespace
