#pragma once
// Internal to basekit: reading SQLite result rows into client datasets and variants.

#include "datakit/FieldDefs.h"
#include "rtl/Variant.h"

class TnClientDataSet;

namespace stock {

class SqliteStatement;

// The field type for a declared column type (sqlite3_column_decltype): "INTEGER", "INT",
// "SMALLINT", "BIGINT" -> integer kinds; "REAL", "FLOAT", "DOUBLE", "NUMERIC(15,2)",
// "DECIMAL" -> ftFloat; "DATE" -> ftDate; "DATETIME", "TIMESTAMP" -> ftDateTime; "TEXT",
// "VARCHAR(60)", "CHAR" -> ftString (`size` gets the length); "BOOLEAN" -> ftBoolean.
// ftUnknown for nullptr (an expression) or anything else.
TFieldType FieldTypeFromDeclared(const char* declared, int* size = nullptr);

// Runs the bound statement and loads every row (at most `max_rows` when >= 0) into `dataset`
// through its bulk-load interface, in one pass over the result; the dataset ends on its first
// row. Columns with a declared type take the matching field type; the others (expressions) are
// typed by the dataset from their values (see TnClientDataSet::BeginBulkLoad). A text in a date
// column must be an ISO date (an empty text loads as null). Raises Exception with the SQL on
// database errors and EConvertError naming the column and value when a value does not fit its
// column's type.
void LoadResult(SqliteStatement& statement, TnClientDataSet& dataset, int max_rows);

// The value of column `column` of the current row as a Variant: declared dates become date
// variants, declared integers and floats numbers, texts texts, NULL Null.
Variant ColumnVariant(SqliteStatement& statement, int column);

}  // namespace stock
