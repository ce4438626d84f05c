// Writes the demo catalogue's descriptors into a folder: make_demo_catalogue <folder>.
#include <exception>
#include <filesystem>
#include <iostream>

#include "tools/demo_catalogue.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_demo_catalogue <folder>\n";
    return 2;
  }
  try {
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    for (const kwdemo::DescriptorSpec& d : kwdemo::DemoCatalogue()) {
      kwdemo::WriteDescriptorFile(folder, d);
    }
  } catch (const std::exception& e) {
    std::cerr << "make_demo_catalogue: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
