#pragma once

#include <QString>
#include <exception>

// A run-time error of the program: its number and German description, as the error boxes show
// them ("Fehler: 13 - Typen unverträglich").
class RuntimeError : public std::exception
{
public:
    RuntimeError(int number, QString description) : number_(number), description_(std::move(description)) {}

    int number() const { return number_; }
    const QString& description() const { return description_; }
    const char* what() const noexcept override { return "RuntimeError"; }

    static RuntimeError typeMismatch() { return {13, QStringLiteral("Typen unverträglich")}; }
    static RuntimeError fileNotFound() { return {53, QStringLiteral("Datei nicht gefunden")}; }
    static RuntimeError pathNotFound() { return {76, QStringLiteral("Pfad nicht gefunden")}; }
    static RuntimeError pathFileAccess()
    {
        return {75, QStringLiteral("Fehler beim Zugriff auf Pfad/Datei")};
    }

private:
    int number_;
    QString description_;
};

// Conversions as the program's readers make them; a text that does not convert raises error 13.
// Whole numbers may carry blanks around them (" 1 "); a fraction rounds half to even.
int ToWholeNumber(const QString& text);
// "True"/"False" in any case, or a number: 0 is false, any other number true.
bool ToTruthValue(const QString& text);
