// zskin: renders a skin without a display, for skin designers and for the
// layout and rendering tests. "render" writes what the window shows as a PNG;
// "layout" prints every named control's rectangle as JSON.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/TextConversion.h"
#include "ui_toolkit/builder/SkinBuilder.h"
#include "ui_toolkit/core/ResourceSettings.h"
#include "ui_toolkit/core/TabLayoutUI.h"
#include "ui_toolkit/host/HeadlessWindow.h"
#include "ui_toolkit/host/PaintManagerClient.h"
#include "ui_toolkit/manager/PaintManager.h"

namespace {

constexpr const char* kUsage =
    "usage: zskin render SKIN FILE.xml -o OUT.png [options]\n"
    "       zskin layout SKIN FILE.xml [-o OUT.json] [options]\n"
    "SKIN is a skin folder or a ZIP archive of one; FILE.xml is the markup in it.\n"
    "options:\n"
    "  --size WxH             window size instead of the skin's own\n"
    "  --select NAME=PAGE     show page PAGE (from 0) of the tab layout NAME\n"
    "  --set NAME.ATTR=VALUE  set an attribute of the control NAME\n"
    "Each option may be given more than once; they apply in order.\n";

constexpr int kDefaultWidth = 800;
constexpr int kDefaultHeight = 600;

struct Change {
    enum class Kind { kSelect, kSet } kind;
    std::wstring control;
    std::wstring attribute;  // for kSet
    std::wstring value;      // the page for kSelect
};

struct Options {
    std::string command;
    std::string skin;
    std::string file;
    std::string output;
    std::optional<std::pair<int, int>> size;
    std::vector<Change> changes;
};

int Fail(const std::string& message) {
    std::fprintf(stderr, "zskin: %s\n", message.c_str());
    return 2;
}

std::optional<std::pair<int, int>> ParseSize(const std::string& text) {
    const std::size_t x = text.find('x');
    if (x == std::string::npos) return std::nullopt;
    const int width = std::atoi(text.substr(0, x).c_str());
    const int height = std::atoi(text.substr(x + 1).c_str());
    if (width <= 0 || height <= 0 || width > 8192 || height > 8192) return std::nullopt;
    return std::make_pair(width, height);
}

std::optional<Options> ParseArguments(int argc, char** argv) {
    if (argc < 4) return std::nullopt;
    Options options;
    options.command = argv[1];
    options.skin = argv[2];
    options.file = argv[3];
    if (options.command != "render" && options.command != "layout") return std::nullopt;
    for (int i = 4; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc) return std::nullopt;
        const std::string value = argv[++i];
        if (option == "-o") {
            options.output = value;
        } else if (option == "--size") {
            options.size = ParseSize(value);
            if (!options.size) return std::nullopt;
        } else if (option == "--select" || option == "--set") {
            const std::size_t equals = value.find('=');
            if (equals == std::string::npos || equals == 0) return std::nullopt;
            Change change;
            change.value = platform::ToWide(value.substr(equals + 1));
            std::string target = value.substr(0, equals);
            if (option == "--select") {
                change.kind = Change::Kind::kSelect;
            } else {
                change.kind = Change::Kind::kSet;
                const std::size_t dot = target.rfind('.');
                if (dot == std::string::npos || dot == 0 || dot + 1 == target.size()) return std::nullopt;
                change.attribute = platform::ToWide(target.substr(dot + 1));
                target.resize(dot);
            }
            change.control = platform::ToWide(target);
            options.changes.push_back(std::move(change));
        } else {
            return std::nullopt;
        }
    }
    if (options.command == "render" && options.output.empty()) return std::nullopt;
    return options;
}

// Points the toolkit's named-file reading at the skin.
bool UseSkin(const std::string& skin) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::is_directory(skin, error)) {
        ResourceSettings::SetResourceFolder(platform::ToWide(skin));
        return true;
    }
    if (!fs::is_regular_file(skin, error)) return false;
    const fs::path path = fs::absolute(skin, error);
    ResourceSettings::SetResourceFolder(platform::ToWide(path.parent_path().string()));
    return ResourceSettings::SetResourceArchiveFile(platform::ToWide(path.filename().string()));
}

bool ApplyChange(PaintManager& manager, const Change& change) {
    CControlUI* control = manager.FindControl(change.control);
    if (control == nullptr) {
        std::fprintf(stderr, "zskin: no control named \"%s\"\n", platform::ToUtf8(change.control).c_str());
        return false;
    }
    if (change.kind == Change::Kind::kSet) {
        control->SetAttribute(change.attribute, change.value);
        return true;
    }
    auto* tabs = static_cast<CTabLayoutUI*>(control->CastTo(L"TabLayout"));
    if (tabs == nullptr || !tabs->SelectPage(std::atoi(platform::ToUtf8(change.value).c_str()), false)) {
        std::fprintf(stderr, "zskin: \"%s\" is not a tab layout with page %s\n",
                     platform::ToUtf8(change.control).c_str(), platform::ToUtf8(change.value).c_str());
        return false;
    }
    return true;
}

std::string JsonString(const std::wstring& text) {
    std::string out = "\"";
    for (const char c : platform::ToUtf8(text)) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string LayoutJson(const PaintManager& manager, const UiRect& client) {
    std::string json = "{\n  \"window\": {\"width\": " + std::to_string(client.GetWidth()) +
                       ", \"height\": " + std::to_string(client.GetHeight()) + "},\n  \"controls\": [";
    bool first = true;
    manager.GetRoot()->FindControl(
        [&](CControlUI* control, const void*) -> CControlUI* {
            if (control->GetName().empty()) return nullptr;
            const UiRect& r = control->GetPos();
            json += first ? "\n" : ",\n";
            first = false;
            json += "    {\"name\": " + JsonString(control->GetName()) + ", \"class\": " +
                    JsonString(std::wstring(control->GetClass())) +
                    ", \"visible\": " + (control->IsVisible() ? "true" : "false") + ", \"rect\": [" +
                    std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) + ", " +
                    std::to_string(r.bottom) + "]}";
            return nullptr;
        },
        nullptr, kFindMeFirst);
    return json + "\n  ]\n}\n";
}

bool WriteText(const std::string& path, const std::string& text) {
    if (path.empty()) return std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out.flush());
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<Options> options = ParseArguments(argc, argv);
    if (!options) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (!UseSkin(options->skin)) return Fail(options->skin + ": not a skin folder or a readable ZIP archive");

    HeadlessWindow window(kDefaultWidth, kDefaultHeight);
    PaintManager manager;
    PaintManagerClient client(manager);
    window.SetClient(&client);
    manager.Init(&window);

    SkinBuilder builder;
    if (!builder.Load(platform::ToWide(options->file))) {
        return Fail(options->file + ": " + platform::ToUtf8(builder.GetMarkup().GetLastErrorMessage()) + " at \"" +
                    platform::ToUtf8(builder.GetMarkup().GetLastErrorLocation()) + "\"");
    }
    std::unique_ptr<CControlUI> root = builder.Build(nullptr, &manager);
    if (root == nullptr) return Fail(options->file + ": the markup makes no control");
    if (options->size) window.Resize(options->size->first, options->size->second);
    manager.AttachRoot(std::move(root));
    window.RunPending();

    for (const Change& change : options->changes) {
        if (!ApplyChange(manager, change)) return 1;
    }
    manager.Invalidate();
    window.RunPending();

    if (options->command == "layout") {
        if (!WriteText(options->output, LayoutJson(manager, window.GetClientRect()))) {
            return Fail("cannot write " + options->output);
        }
        return 0;
    }
    if (!window.GetSurface().WritePng(options->output)) return Fail("cannot write " + options->output);
    return 0;
}
