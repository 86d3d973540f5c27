#include "project/ops/EffectFile.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>

#include "platform/Prompter.h"
#include "project/file/FrameItems.h"
#include "project/store/StoreReader.h"
#include "project/store/StoreWriter.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kErrorCaption = "Quillo Error";

struct SCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using TFile = std::unique_ptr<std::FILE, SCloser>;

std::optional<std::string> AskName(IPrompter& prompter, bool bSave, const std::string& folder) {
    // A folder that is gone would make a bad initial name: the dialog then starts empty.
    std::error_code error;
    const bool bFolder = !folder.empty() && fs::is_directory(folder, error);
    SFileRequest request{bSave ? "Save Effect..." : "Load Effect...",
                         bFolder ? (fs::path(folder) / "").string() : std::string(), kEffectFilter};
    std::optional<std::string> name =
        bSave ? prompter.AskSaveName(request) : prompter.AskOpenName(request);
    if (!name || name->empty()) {
        return std::nullopt;
    }
    if (bSave && fs::path(*name).extension().empty()) {
        *name += std::string(".") + kEffectExtension;
    }
    return name;
}

}  // namespace

bool WriteEffectFile(const std::string& fileName, const CBubbleAnimation& animation) {
    CStoreWriter out;
    WriteBubbleAnimation(out, animation);
    TFile file(std::fopen(fileName.c_str(), "wb"));
    if (!file) {
        return false;
    }
    const std::string& data = out.Data();
    const bool bOk = std::fwrite(data.data(), 1, data.size(), file.get()) == data.size();
    return std::fclose(file.release()) == 0 && bOk;
}

bool ReadEffectFile(const std::string& fileName, CBubbleAnimation& animation) {
    TFile file(std::fopen(fileName.c_str(), "rb"));
    if (!file || std::fseek(file.get(), 0, SEEK_END) != 0) {
        return false;
    }
    const long nSize = std::ftell(file.get());
    if (nSize <= 0) {
        return false;
    }
    CStoreReader in(file.get(), 0, static_cast<uint64_t>(nSize));
    CBubbleAnimation read = animation;
    if (!ReadBubbleAnimation(in, read)) {
        return false;
    }
    animation = read;
    return true;
}

bool SaveEffect(IPrompter& prompter, const CBubbleAnimation& animation, std::string& lastFolder) {
    const std::optional<std::string> name = AskName(prompter, true, lastFolder);
    if (!name) {
        return false;
    }
    lastFolder = fs::path(*name).parent_path().string();
    if (!WriteEffectFile(*name, animation)) {
        prompter.Error("Unable to save effect.", kErrorCaption);
        return false;
    }
    return true;
}

bool LoadEffect(IPrompter& prompter, CBubbleAnimation& animation, std::string& lastFolder) {
    const std::optional<std::string> name = AskName(prompter, false, lastFolder);
    if (!name) {
        return false;
    }
    lastFolder = fs::path(*name).parent_path().string();
    if (!ReadEffectFile(*name, animation)) {
        prompter.Error("Unable to load effect.", kErrorCaption);
        return false;
    }
    return true;
}
