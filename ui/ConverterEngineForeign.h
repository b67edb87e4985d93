#pragma once

#include "ConverterEngine.h"

#include <QtQml/qqml.h>

// Makes the engine a QML type without the engine library depending on QtQml.
struct ConverterEngineForeign {
    Q_GADGET
    QML_FOREIGN(ConverterEngine)
    QML_NAMED_ELEMENT(ConverterEngine)
};
