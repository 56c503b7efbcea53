#pragma once

#include <functional>

class QDialog;

// Every modal dialog of the program (the main dialog, the prompts, the file dialog and the
// message boxes) runs through runModal, so a test can answer it instead of a user.
using ModalHook = std::function<int(QDialog& dialog)>;

// The hook replaces QDialog::exec for every modal run; an empty hook restores it.
void setModalHook(ModalHook hook);
// Runs the dialog modally (or hands it to the hook) and answers its result code.
int runModal(QDialog& dialog);
