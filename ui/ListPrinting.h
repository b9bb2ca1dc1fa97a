#pragma once

class QPrinter;
class QTextDocument;

// Prints doc page by page on printer: an empty job title, the printer's whole
// printable area as the page, no margins of our own. doc itself is not
// touched (a copy is laid out for the printer), and the printer's title,
// margins and full-page mode are restored whatever happens.
// Throws runtime::Exception when the printer cannot print.
void PrintDocument(const QTextDocument &doc, QPrinter &printer);
