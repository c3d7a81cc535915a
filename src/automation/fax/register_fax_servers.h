#pragma once

// Registers "FAXCOMEX.FaxServer", "FAXCOMEX.FaxDocument" and
// "FaxServer.FaxServer", the clients of the local fax service.
void RegisterFaxServers();
