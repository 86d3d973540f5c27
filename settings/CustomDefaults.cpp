#include "settings/CustomDefaults.h"

#include <cstdio>

#include "platform/AtomicFile.h"
#include "platform/Prompter.h"
#include "project/model/DemoProject.h"
#include "project/model/ProjectDefaults.h"
#include "project/store/StoreReader.h"
#include "project/store/StoreWriter.h"
#include "settings/SettingsFolder.h"

std::string CCustomDefaults::Serialize(const CProjectSettings& s) {
    CStoreWriter out;
    out.Int(kVersion);
    for (std::int32_t c : s.m_crControlBar) {
        out.I32(c);
    }
    s.m_block.Write(out, ESettingsForm::File);
    for (std::int32_t v : s.m_nVideoExport) {
        out.Int(v);
    }
    for (std::int32_t v : s.m_nWebPage) {
        out.Int(v);
    }
    out.Int(s.m_bSpeakText);
    out.Int(s.m_nDisplaySizeChoice);
    out.Float(s.m_fPlaybackSpeed);
    out.Float(s.m_fSwfDelayScale);
    out.Int(s.m_bPlayButtonAtStart);
    for (std::int32_t v : s.m_nControlBarValues) {
        out.Int(v);
    }
    out.Int(s.m_nEditorValue2);
    out.Int(s.m_bChapterIndex);
    for (std::int32_t v : s.m_nEditorValues) {
        out.Int(v);
    }
    out.Int(s.m_crWebPage);
    out.Int(s.m_nBorderWidth);
    return out.Take();
}

bool CCustomDefaults::Read(CStoreReader& in, CProjectSettings& settings) {
    CProjectSettings s = settings;
    std::int32_t version = 0;
    in.Int(version);
    for (std::int32_t& c : s.m_crControlBar) {
        in.I32(c);
    }
    if (!in.Ok() || !s.m_block.Read(in, version, ESettingsForm::File)) {
        return false;
    }
    for (std::int32_t& v : s.m_nVideoExport) {
        in.Int(v);
    }
    for (std::int32_t& v : s.m_nWebPage) {
        in.Int(v);
    }
    in.Int(s.m_bSpeakText);
    in.Int(s.m_nDisplaySizeChoice);
    in.Float(s.m_fPlaybackSpeed);
    in.Float(s.m_fSwfDelayScale);
    in.Int(s.m_bPlayButtonAtStart);
    for (std::int32_t& v : s.m_nControlBarValues) {
        in.Int(v);
    }
    in.Int(s.m_nEditorValue2);
    in.Int(s.m_bChapterIndex);
    for (std::int32_t& v : s.m_nEditorValues) {
        in.Int(v);
    }
    in.Int(s.m_crWebPage);
    in.Int(s.m_nBorderWidth);
    if (!in.Ok()) {
        return false;
    }
    settings = std::move(s);
    return true;
}

bool SaveCustomDefaults(IPrompter& prompter, const CSettingsFolder& folder,
                        const CProjectSettings& settings) {
    SPromptMessage question{"Save current Quillo settings as defaults ?    ",
                            "Save Custom Defaults...", EMsgIcon::Question, EMsgButtons::YesNoCancel,
                            EMsgAnswer::Yes};
    if (prompter.Message(question) != EMsgAnswer::Yes) {
        return false;
    }
    if (folder.Path().empty() || !WriteFileAtomically(folder.File(CCustomDefaults::kFileName),
                                                      CCustomDefaults::Serialize(settings))) {
        prompter.Error("Unable to save custom defaults    ", "Quillo Error");
        return false;
    }
    return true;
}

bool ApplyCustomDefaults(const CSettingsFolder& folder, CProjectSettings& settings) {
    for (const std::string& path :
         {folder.Path().empty() ? std::string() : folder.File(CCustomDefaults::kFileName),
          folder.ProgramFile(CCustomDefaults::kFileName)}) {
        if (path.empty()) {
            continue;
        }
        std::FILE* f = std::fopen(path.c_str(), "rb");
        if (f == nullptr) {
            continue;
        }
        bool applied = false;
        if (std::fseek(f, 0, SEEK_END) == 0) {
            long size = std::ftell(f);
            if (size >= 0) {
                CStoreReader in(f, 0, static_cast<std::uint64_t>(size));
                applied = CCustomDefaults::Read(in, settings);
            }
        }
        std::fclose(f);
        return applied;
    }
    return false;
}

bool SaveCustomDefaults(IPrompter& prompter, const CSettingsFolder& folder, CDemoProject& project) {
    StoreProjectDefaults(project);
    return SaveCustomDefaults(prompter, folder, project.m_Settings);
}

bool ApplyCustomDefaults(const CSettingsFolder& folder, CDemoProject& project) {
    StoreProjectDefaults(project);
    if (!ApplyCustomDefaults(folder, project.m_Settings)) {
        return false;
    }
    LoadProjectDefaults(project);
    return true;
}
