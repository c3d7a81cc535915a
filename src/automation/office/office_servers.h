#pragma once

#include "automation/office/office_converter.h"
#include "automation/server_registry.h"

#include <memory>

// Registers "Word.Application" and "Excel.Application" over the default
// converter. Creating either fails when LibreOffice is not installed.
void RegisterOfficeServers();

// Ends the resident LibreOffice and removes its private folder; the
// application calls it when it quits.
void ShutdownOfficeConverter();

// Factories over a given converter, for registering with other settings.
TServerFactory WordServerFactory(std::shared_ptr<TOfficeConverter> converter);
TServerFactory ExcelServerFactory(std::shared_ptr<TOfficeConverter> converter);
