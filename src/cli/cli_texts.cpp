#include "cli/cli_texts.h"

#include "texts/catalogue.h"

namespace trgui::cli {

namespace {

using texts::Text;

struct Line {
    Say what;
    Text text;
};

constexpr Line kLines[] = {
    {Say::NoDevice, Text::NoDeviceAnswersOn},
    {Say::NotARead, Text::CliNotARead},
    {Say::Written, Text::CliWritten},
    {Say::CannotWrite, Text::CliCannotWrite},
    {Say::CannotRead, Text::CliCannotRead},
    {Say::NotOurs, Text::CliNotOurs},
    {Say::OtherFamily, Text::CliOtherFamily},
    {Say::CheckFailed, Text::CliCheckFailed},
    {Say::NothingToWrite, Text::CliNothingToWrite},
    {Say::Changes, Text::CliChanges},
    {Say::Ask, Text::CliAsk},
    {Say::NotConfirmed, Text::CliNotConfirmed},
    {Say::Declined, Text::CliDeclined},
    {Say::NotAcknowledged, Text::CliNotAcknowledged},
    {Say::Verified, Text::CliVerified},
    {Say::Differs, Text::CliDiffers},
    {Say::NotVerified, Text::CliNotVerified},
    {Say::Recording, Text::CliRecording},
    {Say::RowsLost, Text::CliRowsLost},
    {Say::Interrupted, Text::CliInterrupted},
    {Say::ReportWritten, Text::CliReportWritten},
    {Say::LogNotWritten, Text::CliLogNotWritten},
    {Say::OtherVariant, Text::OtherVariantNote},
    {Say::ReportExists, Text::CliReportExists},
    {Say::RecordNotKept, Text::CliRecordNotKept},
    {Say::WriteInterrupted, Text::CliWriteInterrupted},
    {Say::LogInterrupted, Text::CliLogInterrupted},
    {Say::CannotMake, Text::CliCannotMake},
};

} // namespace

QString say(Say what, int language)
{
    for (const Line& line : kLines) {
        if (line.what == what)
            return texts::text(line.text, language);
    }
    return {};
}

} // namespace trgui::cli
