// Texts the window derives rather than states: its title, the error box's text, the wording of
// the run's errors and summary in the window's language, and how narrow (byte) strings from
// file names become shown text.
#pragma once

#include <QString>
#include <exception>
#include <string>
#include <vector>

#include "shapefile/conversion_run.hpp"

namespace morvane {

// The application's title from the executable's file name: the folder dropped, the name cut
// at its first full stop, the first letter as it is and every letter after it lower case
// ("morvane" gives "morvane", "MORVANE.bin" and "Morvane.exe" give "Morvane").
QString ApplicationTitle(const QString& executablePath);

// The error box's text: the message with a full stop added when its last character sorts
// after the full stop (a letter or a digit, for instance); after a Chinese character the stop
// is the ideographic one, and a message that ends with one keeps it alone. Blanks, brackets
// and an empty message are left as they are.
QString ErrorBoxText(const QString& message);

// Shows a narrow string: UTF-8 when it is valid UTF-8, otherwise Big5 (code page 950), the
// encoding of names on old Windows disks and archives. Only for showing: the bytes
// themselves are what the program keeps and opens.
QString DisplayText(const std::string& bytes);

// The last part of a path, as DisplayText: the file's name, which starts every reason.
QString ShownFileName(const std::string& path);

// Why a file could not be converted, in the window's language, worded from the error's
// details: a sentence that starts with the name of the file it is about ("roads_1.shp 無法建立：
// 檔案系統是唯讀的。"). An error of unforeseen kind shows its text after the name.
QString ProblemText(const ErrorDetails& details);

// The system's cause of a failed file operation in the window's language: its words for the
// common error numbers, the number itself for others, `reason` when there is no number.
QString SystemCauseText(int systemCode, const std::string& reason);

// Any error that ended work on the file at `path` (the run's, or the engine's), as ProblemText.
QString ErrorText(const std::exception& error, const std::string& path);

// The question before a run replaces the outputs of earlier conversions, listing them.
QString ReplaceQuestionText(const std::vector<std::string>& outputs);

// Why the input check of a file failed, in the window's language (CheckWords): its findings
// and the modes that fit its .prj, one per line; for a file that came without the check's
// data, its name and the run's English reason.
QString RefusalText(const FileProblem& file);

// The files of the question about suspicious files: each file's findings as RefusalText.
QString SuspiciousFilesText(const std::vector<FileProblem>& files);

// The box at the end of a run that did not convert every file: how many were converted, and
// each file that was not with its reason; the headline and the list below it.
QString RunSummaryText(const RunSummary& summary);
QString RunSummaryHeadline(const RunSummary& summary);
QString RunSummaryList(const RunSummary& summary);

// What a press of the run button with nothing to convert says.
QString NothingToConvertText(bool folderChosen);

// The box at the end of a run that was cancelled: that it was, the files it stopped part way
// (nothing of them written), then as RunSummaryText.
QString CancelledRunText(const RunSummary& summary);
QString CancelledRunHeadline(const RunSummary& summary);

// The question when the window is closed during a run.
QString CloseDuringRunText();

}  // namespace morvane
