#pragma once

// Registers "ADODB.Connection", "ADODB.Recordset", "ADOX.Catalog" and
// "JRO.JetEngine".
void RegisterJetServers();
