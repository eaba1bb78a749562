#pragma once

#include <QString>

// Where the platform's standard folders are. Tests inject their own.
struct Locations
{
    QString documents;          // the user's documents folder
    QString applicationSupport; // per-user application data (XDG data home)
    QString home;
    // The cloud-synchronised folder that stands in for iCloud Drive.
    QString cloudDrive;

    static Locations system();
    // All four under one root, for tests.
    static Locations under(const QString &root);
};
