#!/usr/bin/env bash
# Fails when program code outside storage/ reaches SQLite itself, naming the files: the engine and the
# windows speak rows and values through storage/database.h (tests, benchmarks and fuzz targets may use
# SQLite directly and link it themselves). The build cannot tell, since the headers are on the system's
# include path.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    echo "the git checkout is missing: not checked"
    exit 77
fi
bad=$(git ls-files -z '*.cpp' '*.h' ':!storage/' ':!tests/' ':!bench/' ':!fuzz/' |
    xargs -0 grep -lE '#include <(SQLiteCpp/|sqlite3\.h)|SQLite::|sqlite3_' || true)
if [ -n "$bad" ]; then
    echo "SQLite reached outside storage/ (use Database, RowSet, RowWalk and Transaction):"
    echo "$bad" | sed 's/^/  /'
    exit 1
fi
echo "SQLite stays inside storage/"
