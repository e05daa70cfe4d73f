// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vardesca {

// Qt's own texts (file dialogs, standard buttons) in Italian, whatever the
// system language: the user sees Italian only. Safe to call once per process.
void InstallItalianTranslation();

}  // namespace vardesca
