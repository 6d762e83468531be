#!/usr/bin/env bash
# The database server's date, asked in each dialect, with the statement each sends.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../demo-lib.sh"

section "Server date"
show "SQL Server dialect: the date as dd/mm/yyyy" gVerifica_Data_Atual --kind SQLSERVER --trace
show "Oracle dialect: the same date from the one-row table" gVerifica_Data_Atual --kind ORACLE --trace
