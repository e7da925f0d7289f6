// The common file errors said in French: what to do first, the system's own reason after it in
// parentheses. One place, so every message that shows a system reason reads the same way.
#pragma once

#include <QString>

namespace kelvora
{

enum class FileProblem { Other, AccessDenied, FolderInTheWay, DiskFull, NotFound };

// The problem behind a system error number (errno).
FileProblem fileProblem(int systemError);

// French words for a system error (« disque plein », « accès refusé », ...), the system's own
// text for the rare others. The same table as fileProblem.
QString systemReason(int error);

// What the user can do about it, one French sentence; empty for Other.
QString fileProblemAdvice(FileProblem problem);

// « <lead> <what to do> (<reason>) »; the reason is the system's text for `systemError` when
// `reason` is empty.
QString frenchFileError(const QString& lead, int systemError, const QString& reason = {});

} // namespace kelvora
