// Headers nearly every engine test reads: compiled once for the test support library and reused by
// every engine test target. No widget header here: the engine's tests build without Qt Widgets.
#pragma once

#include <QDate>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>
