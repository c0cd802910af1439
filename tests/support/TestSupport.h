#pragma once

#include <QString>

#include <functional>

namespace testsupport {

// Product, plan and question types every test bank starts from.
QString baseContent();

// A small syllabus: subjects 0 and 3 with parts, chapters and sections, exam points and a few questions.
QString smallSyllabus();

// Builds a bank file named name in dir from content text; throws std::runtime_error with the builder's
// messages when the content is refused.
QString buildBank(const QString& dir, const QString& content, bool plain = false,
                  const QString& name = QStringLiteral("bank.mdb"));

// Runs body as an ordinary user: root writes to read-only files and folders, so a test running as root
// hands the body to a child process that gives up root first. -1 when that cannot be done.
int asOrdinaryUser(const std::function<int()>& body);

} // namespace testsupport
