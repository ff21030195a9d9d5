// Parses a skin-like markup document of 2000 elements (UTF-8, as read from a
// file or an archive) many times and prints the median and the fastest time
// of one LoadFromMemory (conversion to wide text and parsing), of one
// LoadFromString of the converted text (copy and parsing), and of one walk
// over every element and attribute.
// Measures and prints; asserts nothing.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/TextConversion.h"
#include "ui_toolkit/markup/MarkupDocument.h"

namespace {

using Clock = std::chrono::steady_clock;

// 1 root, 200 layouts of 8 buttons each and 199 spacers between them: 2000 elements.
std::string SkinLikeDocument() {
    std::string text = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                       "<Window size=\"600,400\" caption=\"0,0,0,40\" roundcorner=\"4,4\">\n";
    for (int row = 0; row < 200; ++row) {
        const std::string n = std::to_string(row);
        if (row != 0) text += "  <Control height=\"1\" bkcolor=\"#FFE0E0E0\"/>\n";
        text += "  <HorizontalLayout name=\"row" + n + "\" height=\"32\" padding=\"8,4,8,4\">\n";
        for (int column = 0; column < 8; ++column) {
            const std::string id = n + "_" + std::to_string(column);
            text += "    <Button name=\"button" + id + "\" text=\"Install &gt;&gt; " + id +
                    "\" font=\"1\" textcolor=\"#FF574DED\"disabledtextcolor=\"#00FFFFFF\" align=\"center\" "
                    "normalimage=\"file='img\\btn.png' source='0,0,96,32'\" borderround =\"2,2\"/>\n";
        }
        text += "  </HorizontalLayout>\n";
    }
    text += "</Window>\n";
    return text;
}

std::size_t Walk(const MarkupNode& first) {
    std::size_t seen = 0;
    for (MarkupNode node = first; node.IsValid(); node = node.GetSibling()) {
        seen += 1 + node.GetAttributeCount() + node.GetAttributeValue(L"name").size();
        if (node.HasChildren()) seen += Walk(node.GetChild());
    }
    return seen;
}

double Microseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::micro>(duration).count();
}

void Print(const char* what, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    std::printf("%-28s median %8.1f us   fastest %8.1f us   (%zu runs)\n", what, times[times.size() / 2], times.front(),
                times.size());
}

std::size_t CountElements(const MarkupNode& first) {
    std::size_t count = 0;
    for (MarkupNode node = first; node.IsValid(); node = node.GetSibling()) {
        count += 1 + CountElements(node.GetChild());
    }
    return count;
}

}  // namespace

int main() {
    const std::string text = SkinLikeDocument();
    constexpr int kRuns = 500;
    MarkupDocument document;
    // The same text without its byte order mark, which only LoadFromMemory skips.
    const std::wstring wide = platform::ToWide(text.substr(3));
    std::vector<double> load;
    std::vector<double> parse;
    std::vector<double> walk;
    std::size_t sink = 0;
    for (int run = 0; run < kRuns; ++run) {
        const Clock::time_point start = Clock::now();
        const bool fromString = document.LoadFromString(wide);
        const Clock::time_point parsed = Clock::now();
        const bool fromMemory = document.LoadFromMemory(text.data(), text.size());
        const Clock::time_point loaded = Clock::now();
        sink += Walk(document.GetRoot());
        const Clock::time_point walked = Clock::now();
        if (!fromString || !fromMemory) {
            std::fprintf(stderr, "parse failed\n");
            return 1;
        }
        parse.push_back(Microseconds(parsed - start));
        load.push_back(Microseconds(loaded - parsed));
        walk.push_back(Microseconds(walked - loaded));
    }
    std::printf("document: %zu elements, %zu bytes of UTF-8 (checksum %zu)\n", CountElements(document.GetRoot()),
                text.size(), sink / kRuns);
    Print("LoadFromMemory", load);
    Print("LoadFromString", parse);
    Print("walk elements + attributes", walk);
    return 0;
}
