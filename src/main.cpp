#include <iostream>

#include "app/UCmdLineProcessor.h"
#include "app/UFerrovan.h"
#include "base/UCommandLine.h"
#include "base/UExceptions.h"
#include "ui/UFrontEnd.h"
#include "ui/UInteractive.h"

int main(int argc, char** argv) {
  TStringList params;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << CommandLineUsage();
      return ecSuccess;
    }
    if (arg == "--version") {
      std::cout << "ferrovan " << FERROVAN_VERSION << "\n";
      return ecSuccess;
    }
    params.Add(UnquoteArgument(arg));
  }
  try {
    TApp& app = TFerrovan::GetInstance();
    app.SetParameters(params);
    // Without a display the seams stay unset and the program keeps to the command line.
    if (DisplayAvailable())
      InstallFrontEnd(ConvertApp());
    else if (std::string problem = DisplayProblem(); !problem.empty())
      std::cerr << "ferrovan: " << problem << "\n";
    return app.Run();
  } catch (const std::exception& e) {
    std::cerr << "ferrovan: " << ExceptionMessage(e) << "\n";
    return ecException;
  }
}
