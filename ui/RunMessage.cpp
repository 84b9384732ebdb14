// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunMessage.h"

#include "LanguageProfile.h"
#include "Module1.h"
#include "ProfileText.h"
#include "RunReport.h"
#include "SourceEncoding.h"

#include <QStringList>

#include <vector>

namespace rz408 {

namespace {

QString EncodingName(SourceEncoding encoding) {
    switch (encoding) {
    case SourceEncoding::Utf8:
        return QStringLiteral("UTF-8");
    case SourceEncoding::Utf16LE:
        return QStringLiteral("UTF-16 LE");
    case SourceEncoding::Utf16BE:
        return QStringLiteral("UTF-16 BE");
    case SourceEncoding::Windows1252:
        break;
    }
    return QStringLiteral("Windows-1252");
}

// What failed with a listed source, in the language of MESSAGES; a reason the run gives
// only in words goes in as it is.
QString WhatFailed(const ProgramMessages& messages, const FileFailure& failure) {
    const QString file = Text(failure.File);
    const QString cause = Text(failure.Cause);
    switch (failure.Step) {
    case FileFailure::Action::Read:
        return Fill(messages.CannotRead, cause); // the source, named once by FailedFile
    case FileFailure::Action::Write:
        return Fill(messages.CannotWrite, file, cause);
    case FileFailure::Action::CopyIsLog:
        return Fill(messages.CopyIsLog, file);
    case FileFailure::Action::Other:
        break;
    }
    return Text(failure.Reason);
}

// HEADING, then LINES, at most kNamedAtMost of them, then how many more.
QString Section(const QString& heading, const QStringList& lines, const ProgramMessages& messages) {
    QString text = heading;
    for (qsizetype i = 0; i < lines.size() && i < qsizetype(kNamedAtMost); ++i) {
        text += QLatin1Char('\n') + lines[i];
    }
    if (lines.size() > qsizetype(kNamedAtMost)) {
        text += QLatin1Char('\n') +
                Fill(messages.AndMore, QString::number(lines.size() - qsizetype(kNamedAtMost)));
    }
    return text;
}

} // namespace

QString RunMessage(const Module1& m, const ProgramMessages& messages, const RunReport& report) {
    QStringList sections{Text(CountMessageText(m, report))};

    QStringList failed;
    QStringList logFailures;
    for (const FileFailure& failure : report.Failures) {
        if (failure.What == FileFailure::Kind::LogFile) {
            logFailures << Fill(messages.LogFileFailed, Text(failure.Name), Text(failure.Reason));
        } else {
            failed << Fill(messages.FailedFile, Text(failure.Name), WhatFailed(messages, failure));
        }
    }
    if (!failed.isEmpty()) {
        sections << Section(failed.size() == 1
                                ? Text(messages.OneFileFailed)
                                : Fill(messages.FilesFailed, QString::number(failed.size())),
                            failed, messages);
    }
    sections += logFailures;

    QStringList unicode;
    for (const UnicodeSource& source : report.UnicodeSources) {
        QString how = EncodingName(source.Encoding);
        if (source.BrokenSequences != 0) {
            how += QStringLiteral(": ") +
                   (source.BrokenSequences == 1
                        ? Text(messages.OneBroken)
                        : Fill(messages.ManyBroken, QString::number(source.BrokenSequences)));
        }
        unicode << QStringLiteral("%1 (%2)").arg(Text(source.Name), how);
    }
    if (!unicode.isEmpty()) {
        sections << Section(
            Text(unicode.size() == 1 ? messages.OneUnicodeFile : messages.UnicodeFiles), unicode,
            messages);
    }
    return sections.join(QStringLiteral("\n\n"));
}

} // namespace rz408
