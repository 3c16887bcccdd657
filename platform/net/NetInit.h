#pragma once

namespace Net {

// Sets the network library's process-wide state up now rather than at the
// first exchange. What is set up first is torn down last at process end, so a
// component that runs exchanges on its own threads calls this before it
// exists: its threads then stop before the network library goes.
void Initialize();

}  // namespace Net
