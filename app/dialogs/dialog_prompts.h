#pragma once

#include "app/dialogs/user_prompts.h"

#include <memory>

// The real dialogs: modal QMessageBox, QColorDialog, QFileDialog and QPrintPreviewDialog.
std::shared_ptr<UserPrompts> dialogPrompts();
