#pragma once

#include "app/grid/bound_grid.h"
#include "app/grid/work_table_model.h"
#include "app/pages/overdue_page.h"
#include "app/pages/payer_page.h"
#include "app/pages/schedule_page.h"
#include "app/pages/settings_page.h"
#include "app/widgets/amount_field.h"
#include "app/widgets/clickable_label.h"
#include "app/widgets/month_edit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QString>
#include <QTabWidget>
#include <QWidget>

#include <gtest/gtest.h>

// A control of the window by its object name and kind, as a user's script would find it. A missing one
// fails the test where it is asked for, not with a crash later.
template <class T> T* control(const QWidget& window, const char* name)
{
    T* found = window.findChild<T*>(QString::fromUtf8(name));
    if (!found)
        ADD_FAILURE() << "no control " << name;
    return found;
}
