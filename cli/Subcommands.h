// Entry points of the subcommands; each returns an EExitCode.
#pragma once

#include <span>
#include <string>

class CSwfMovie;

int RunExample(std::span<const std::string> args);
int RunSwfSample(std::span<const std::string> args);

// `swf-sample --all`: bitmaps, a sprite, a button, a bound text field and frame scripts.
int WriteSwfSampleAll(const std::string& out, bool uncompressed);
// Saves a sample movie to `out`, compressed unless `uncompressed`.
int SaveSwfSample(CSwfMovie& movie, const std::string& out, bool uncompressed);
int RunInfo(std::span<const std::string> args);
int RunFrame(std::span<const std::string> args);
int RunCheck(std::span<const std::string> args);
int RunRecord(std::span<const std::string> args);
int RunStop(std::span<const std::string> args);
int RunRemoveDeleted(std::span<const std::string> args);
int RunCombine(std::span<const std::string> args);
int RunImportVideo(std::span<const std::string> args);
int RunExportTiming(std::span<const std::string> args);
int RunImportTiming(std::span<const std::string> args);
int RunEdit(std::span<const std::string> args);
int RunRecover(std::span<const std::string> args);
int RunPublish(std::span<const std::string> args);
int RunSchemes(std::span<const std::string> args);
int RunShow(std::span<const std::string> args);
int RunSpeak(std::span<const std::string> args);
int RunSpell(std::span<const std::string> args);
int RunSound(std::span<const std::string> args);
