// Keeps the data library non-empty before any data file exists.
