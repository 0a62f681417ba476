#include "analysis/transaction_table.h"
#include "analysis/transaction_text.h"
#include "app/protmon-cli/commands.h"
#include "app/protmon-cli/decode_filter.h"
#include "decode/decode_row.h"
#include "descriptions/cfg_list.h"
#include "descriptions/language_file_name.h"
#include "descriptions/set_code_page.h"
#include "files/recording_file.h"
#include "files/row_export.h"

#include <cerrno>
#include <clocale>
#include <cstring>

namespace protmon::cli {

// Decimal separator of the environment's LC_NUMERIC; the tool itself keeps the "C" locale.
char EnvironmentDecimalSeparator() {
    const char* current = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = current != nullptr ? current : "C";
    char separator = '.';
    if (std::setlocale(LC_NUMERIC, "") != nullptr) {
        const char* point = std::localeconv()->decimal_point;
        // A separator of more than one byte (UTF-8) cannot stand in the 8-bit row texts.
        if (point != nullptr && point[0] != '\0' && point[1] == '\0' &&
            static_cast<unsigned char>(point[0]) < 0x80)
            separator = point[0];
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
    return separator;
}

bool LoadDecoderSet(const TCliOptions& options, TZXCfgList& sets, int& index) {
    index = sets.LoadDescriptionFile(options.Descriptions, false);
    if (index < 0) {
        ReportError(options.Descriptions + ": not a readable parameter description file");
        return false;
    }
    if (options.Language == '\0')
        return true;
    const std::string language = LanguageFileName(options.Descriptions, options.Language);
    const std::int32_t r =
        LoadLanguageFor(*sets.GetCfg(index), options.Descriptions, options.Language);
    // As in the window, the description file's own names stay; the tool says why.
    if (r > 0)
        ReportError("warning: " + language + ": " + std::strerror(r) +
                    "; names from the description file");
    else if (r == kLangWrongKind)
        ReportError("warning: " + language +
                    ": not a language file; names from the "
                    "description file");
    else if (r == kLangCutShort)
        ReportError("warning: " + language +
                    ": language file cut short; names from the description file");
    else if (r == kLangOtherFileId)
        ReportError("warning: " + language +
                    ": language file of another description; names "
                    "from the description file");
    return true;
}

namespace {

// --columns: the extra columns of the entry at `position`, each behind a TAB, before the line end
// that AppendRowLine wrote.
void AppendExtraColumns(std::string& out, const TCliOptions& options, const TTelegramList& list,
                        const TTransactionTable& table, int position) {
    out.pop_back();
    for (const ExtraColumn column : options.Columns) {
        out += '\t';
        const std::string text =
            column == ExtraColumn::Time
                ? EntryTimeText(*list.At(position), table.Settings().TimeStampResolution)
                : ResponseCellText(table, ArrivalIndexOf(list, position));
        AppendEscapedText(out, text);
    }
    out += '\n';
}

} // namespace

int RunDecode(const TCliOptions& options) {
    TZXCfgList sets;
    int setIndex = -1;
    if (!options.Descriptions.empty() && !LoadDecoderSet(options, sets, setIndex))
        return kExitFileError;
    TTelegramList list;
    TCaptureSettings settings;
    const TMonitorFileResult r = ReadRecording(options.Input, list, settings);
    if (ReportRefusedInput(options, r))
        return kExitFileError;
    if (options.Search)
        return FinishDecode(options, r, WriteSearchPositions(options, list));
    // A damaged file still shows the entries it holds before the error is reported.
    TDecodeContext ctx =
        MakeDecodeContext(list, settings, sets.GetCfg(setIndex), EnvironmentDecimalSeparator());
    ctx.HexDisplay = options.Hex;
    const CodePage codePage = DisplayCodePageOf(ctx.DecoderSet);
    TTransactionTable table;
    if (!options.Columns.empty())
        table.Rebuild(list,
                      {settings.Selection, settings.SourceFlags, settings.TimeStampResolution});
    TOutputBuffer out(stdout);
    TRowTexts row;
    // The rows of the filtered display, or every entry.
    const std::optional<std::vector<int>> shown = FilteredPositions(options, list);
    const int count = shown ? static_cast<int>(shown->size()) : list.Count();
    bool written = true;
    for (int i = 0; i < count && written; ++i) {
        const int position = shown ? (*shown)[static_cast<std::size_t>(i)] : i;
        DecodeTelegramRow(ctx, position, row);
        AppendRowLine(out.Text(), row.Caption, row.Id, row.Service, row.Additional, codePage);
        if (!options.Columns.empty())
            AppendExtraColumns(out.Text(), options, list, table, position);
        written = out.MaybeFlush();
    }
    written = out.Flush() && written;
    return FinishDecode(options, r, written);
}

} // namespace protmon::cli
