#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "swf/SwfAction.h"
#include "swf/SwfActionList.h"
#include "swf/SwfActionRecord.h"
#include "tests/swf/TagBytes.h"

namespace {

Bytes RecordBytes(const CSwfActionRecord& record) {
    CSwfBitWriter writer;
    record.Write(writer);
    return writer.ToBytes();
}

Bytes StepBytes(const CSwfAction& step) {
    CSwfDoAction block;
    step.AppendTo(block);
    CSwfBitWriter writer;
    block.Actions().Write(writer);
    return writer.ToBytes();
}

TEST(ActionRecord, EncodingsAreByteExact) {
    struct SCase {
        const char* name;
        std::function<std::unique_ptr<CSwfActionRecord>()> make;
        Bytes bytes;
    };
    const SCase cases[] = {
        {"Play", [] { return std::make_unique<CSwfActionSimple>(kActionPlay); }, B({0x06})},
        {"Trace", [] { return std::make_unique<CSwfActionSimple>(kActionTrace); }, B({0x26})},
        {"GotoFrame", [] { return std::make_unique<CSwfActionGotoFrame>(0x0102); },
         B({0x81, 2, 0, 0x02, 0x01})},
        {"GetURL empty target", [] { return std::make_unique<CSwfActionGetUrl>("a.htm", ""); },
         B({0x83, 7, 0, "a.htm", 0, 0})},
        {"GetURL target", [] { return std::make_unique<CSwfActionGetUrl>("u", "_blank"); },
         B({0x83, 9, 0, "u", 0, "_blank", 0})},
        {"SetTarget", [] { return std::make_unique<CSwfActionSetTarget>("/spr"); },
         B({0x8B, 5, 0, "/spr", 0})},
        {"Push empty string", [] { return CSwfActionPush::String(""); }, B({0x96, 2, 0, 0, 0})},
        {"Push string", [] { return CSwfActionPush::String("/:v"); }, B({0x96, 5, 0, 0, "/:v", 0})},
        {"Push float", [] { return CSwfActionPush::Float(1.0f); },
         B({0x96, 5, 0, 1, 0x00, 0x00, 0x80, 0x3F})},
        {"Push integer", [] { return CSwfActionPush::Integer(-2); },
         B({0x96, 5, 0, 7, 0xFE, 0xFF, 0xFF, 0xFF})},
        {"Jump back", [] { return std::make_unique<CSwfActionBranch>(kActionJump, -5); },
         B({0x99, 2, 0, 0xFB, 0xFF})},
        {"If", [] { return std::make_unique<CSwfActionBranch>(kActionIf, 300); },
         B({0x9D, 2, 0, 0x2C, 0x01})},
        {"GetURL2", [] { return std::make_unique<CSwfActionByte>(kActionGetUrl2, 2); },
         B({0x9A, 1, 0, 2})},
        {"GotoFrame2 and play",
         [] { return std::make_unique<CSwfActionByte>(kActionGotoFrame2, 1); }, B({0x9F, 1, 0, 1})},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto record = c.make();
        EXPECT_EQ(RecordBytes(*record), c.bytes);
        EXPECT_EQ(record->Length(), c.bytes.size());
    }
}

TEST(ActionRecord, OverlongStringsAreCutToFitTheLengthField) {
    const std::string longText(70000, 'x');
    for (const auto& record : std::vector<std::shared_ptr<CSwfActionRecord>>{
             CSwfActionPush::String(longText),
             std::make_shared<CSwfActionGetUrl>(longText, longText),
             std::make_shared<CSwfActionSetTarget>(longText)}) {
        const Bytes bytes = RecordBytes(*record);
        ASSERT_GE(bytes.size(), 3u);
        EXPECT_EQ(size_t(bytes[1] | bytes[2] << 8) + 3, bytes.size());
        EXPECT_EQ(bytes.back(), 0);
    }
}

TEST(ScriptStep, StepsAppendTheirRecords) {
    struct SCase {
        const char* name;
        std::function<std::unique_ptr<CSwfAction>()> make;
        Bytes bytes;
    };
    const SCase cases[] = {
        {"GetURL", [] { return CSwfAction::GetUrl("x.htm"); }, B({0x83, 7, 0, "x.htm", 0, 0})},
        {"GetURL via stack", [] { return CSwfAction::GetUrlViaStack("u", "t", 1); },
         B({0x96, 3, 0, 0, "u", 0, 0x96, 3, 0, 0, "t", 0, 0x9A, 1, 0, 1})},
        {"GotoFrame", [] { return CSwfAction::GotoFrame(3); }, B({0x81, 2, 0, 3, 0})},
        {"Play", [] { return CSwfAction::Play(); }, B({0x06})},
        {"Stop", [] { return CSwfAction::Stop(); }, B({0x07})},
        {"GetProperty", [] { return CSwfAction::GetProperty("/a", 2.0f); },
         B({0x96, 4, 0, 0, "/a", 0, 0x96, 5, 0, 1, 0, 0, 0, 0x40, 0x22})},
        {"SetProperty integer", [] { return CSwfAction::SetProperty("/a", 7.0f, -1234567); },
         B({0x96, 4,    0,    0,    "/a", 0, 0x96, 5,          0, 1,   0,
            0,    0xE0, 0x40, 0x96, 10,   0, 0,    "-1234567", 0, 0x23})},
        {"SetProperty string", [] { return CSwfAction::SetProperty("", 6.0f, "50"); },
         B({0x96, 2, 0, 0, 0, 0x96, 5, 0, 1, 0, 0, 0xC0, 0x40, 0x96, 4, 0, 0, "50", 0, 0x23})},
        {"GetVariable", [] { return CSwfAction::GetVariable("/:n"); },
         B({0x96, 5, 0, 0, "/:n", 0, 0x1C})},
        {"SetVariable integer", [] { return CSwfAction::SetVariable("v", 1000000); },
         B({0x96, 3, 0, 0, "v", 0, 0x96, 9, 0, 0, "1000000", 0, 0x1D})},
        {"SetVariable string", [] { return CSwfAction::SetVariable("v", ""); },
         B({0x96, 3, 0, 0, "v", 0, 0x96, 2, 0, 0, 0, 0x1D})},
        {"PushString", [] { return CSwfAction::PushString("s"); }, B({0x96, 3, 0, 0, "s", 0})},
        {"PushInt", [] { return CSwfAction::PushInt(258); }, B({0x96, 5, 0, 7, 2, 1, 0, 0})},
        {"SetTarget", [] { return CSwfAction::SetTarget(""); }, B({0x8B, 1, 0, 0})},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto step = c.make();
        EXPECT_EQ(StepBytes(*step), c.bytes);
        // Appending again builds fresh records: the same bytes once more.
        CSwfButtonCondAction list;
        step->AppendTo(list);
        step->AppendTo(list);
        EXPECT_EQ(list.Actions().Length(), 2 * c.bytes.size());
    }
}

TEST(ScriptStep, IntegersAreFormattedInTheCLocale) {
    EXPECT_EQ(FormatSwfInteger(0), "0");
    EXPECT_EQ(FormatSwfInteger(-2147483647 - 1), "-2147483648");
    EXPECT_EQ(FormatSwfInteger(1234567), "1234567");
}

TEST(DoAction, RecordsThenTheEndByte) {
    CSwfDoAction block;
    CSwfAction::Stop()->AppendTo(block);
    CSwfAction::GotoFrame(0)->AppendTo(block);
    const Bytes record = TagRecord(block);
    EXPECT_EQ(TagCode(record), 12);
    EXPECT_EQ(record, B({0x07, 0x03, 0x07, 0x81, 2, 0, 0, 0, 0}));

    CSwfDoAction empty;
    EXPECT_EQ(TagRecord(empty), B({0x01, 0x03, 0}));
}

TEST(ButtonCondition, ConditionWords) {
    struct SCase {
        int condition;
        uint8_t key;
        uint16_t word;
    };
    const SCase cases[] = {
        {kCondOverDownToIdle, 0, 0x0100},
        {kCondIdleToOverDown, 0, 0x0080},
        {kCondOutDownToIdle, 0, 0x0040},
        {kCondOutDownToOverDown, 0, 0x0020},
        {kCondOverDownToOutDown, 0, 0x0010},
        {kCondOverDownToOverUp, 0, 0x0008},
        {kCondOverUpToOverDown, 0, 0x0004},
        {kCondOverUpToIdle, 0, 0x0002},
        {kCondIdleToOverUp, 0, 0x0001},
        {0, 13, 0x1A00},
        {kCondOverDownToOverUp, 13, 0x1A08},
        {kCondOverDownToIdle, 127, 0xFF00},
        {10, 0, 0},
        {-1, 0, 0},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.condition);
        SCOPED_TRACE(int(c.key));
        CSwfButtonCondAction list;
        list.AddCondition(c.condition, c.key);
        EXPECT_EQ(list.Condition(), c.word);
    }
    // Conditions of one slot add up.
    CSwfButtonCondAction list;
    list.AddCondition(kCondOverUpToIdle, 0);
    list.AddCondition(kCondIdleToOverUp, 0);
    EXPECT_EQ(list.Condition(), 0x0003);
}

}  // namespace
