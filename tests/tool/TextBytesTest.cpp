// Every Shift_JIS byte string of the tool decodes to the text it is meant to
// show, so a wrong byte cannot slip into a message or a signature.
#include <gtest/gtest.h>

#include <string>

#include "Messages.h"
#include "ShiftJisText.h"
#include "TitleLayout.h"

namespace {

struct ExpectedText {
    const char* name;
    Message message;
    const char* utf8;
};

TEST(TextBytes, MessagesDecodeToTheirTexts)
{
    const ExpectedText messages[] = {
        {"usage", UsageFormat, "Usage: %s [d88file] (DiskNo.)\n"},
        {"cannot open", CannotOpenFileMessage, "ファイルをオープンできません.\n"},
        {"recognised", RecognisedFormat, "Disk %s を認識しました.\n"},
        {"unsupported", UnsupportedImageMessage, "未対応の形式です.\n"},
        {"cutting", CuttingFormat, "cutting ... %s\n"},
        {"cannot read", CannotReadSectorsFormat, "%s: セクタを読み込めません.\n"},
        {"partly read", PartlyReadFormat, "%s: 一部のセクタを読み込めません (%d / %d バイト).\n"},
        {"kept existing", KeptExistingFileFormat, "%s: 既存のファイルを残しました.\n"},
        {"past the limit", ImagesPastLimitMessage, "65 番目以降のイメージは処理しません.\n"},
        {"cannot write", CannotWriteFileFormat, "%s: ファイルを書き込めません.\n"},
        {"recorded error", RecordedReadErrorFormat,
         "%s: 読み込みエラーが記録されたセクタを含みます.\n"},
        {"cannot make folder", CannotMakeFolderFormat, "%s: 出力先のフォルダを作れません.\n"},
        {"version", VersionText, "d88cut " D88CUT_VERSION "\n"},
    };
    for (const ExpectedText& expected : messages) {
        // Both encodings are the same text.
        EXPECT_EQ(ShiftJisToUtf8(expected.message.shiftJis), std::string(expected.utf8))
            << expected.name;
        EXPECT_EQ(std::string(expected.message.utf8), std::string(expected.utf8)) << expected.name;
    }
    EXPECT_EQ(ShiftJisToUtf8(HelpText.shiftJis), std::string(HelpText.utf8));
}

TEST(TextBytes, SignaturesDecodeToTheirTexts)
{
    const std::string diskA(DiskASignature.text, static_cast<std::size_t>(DiskASignature.length));
    const std::string diskB(DiskBSignature.text, static_cast<std::size_t>(DiskBSignature.length));
    EXPECT_EQ(diskA, "@(rev)QuillMoraven PC-98");
    EXPECT_EQ(diskA.size(), 24U);
    EXPECT_EQ(ShiftJisToUtf8(diskB), std::string("ＱＵＩＬＬ　ＭＯＲＡＶＥＮ"));
    EXPECT_EQ(diskB.size(), 26U);
}

}  // namespace
