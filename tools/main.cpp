// kelvora-admin: creates stores and demo installations, and runs SQL on a store for support.
#include "tools/demo.h"
#include "tools/init_store.h"
#include "tools/lecture.h"
#include "tools/sql_command.h"

#include <QCoreApplication>
#include <sys/stat.h>
#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string_view>

namespace
{

constexpr std::string_view kUsage = "Usage :\n"
                                    "  kelvora-admin init-store FICHIER\n"
                                    "  kelvora-admin demo DOSSIER\n"
                                    "  kelvora-admin sql FICHIER INSTRUCTION\n"
                                    "  kelvora-admin lecture DOSSIER [--copie DOSSIER_COPIE]\n"
                                    "      [--json FICHIER] [--fhir FICHIER]\n"
                                    "      (le code CPS est lu sur l'entrée standard ;\n"
                                    "      FICHIER « - » : la sortie standard)\n"
                                    "\n"
                                    "Un FICHIER existant est remplacé et garde ses droits ;\n"
                                    "un lien symbolique est remplacé lui-même, le fichier\n"
                                    "qu'il désigne n'est jamais écrit ; un périphérique ou\n"
                                    "un tube nommé (/dev/null) reçoit les données sans être\n"
                                    "remplacé ; un dossier ou une socket est refusé.\n";

// The options of `lecture` after its folder, each with its value; nothing else.
std::optional<kelvora::admin::LectureOptions> lectureOptions(int argc, char** argv)
{
    kelvora::admin::LectureOptions options;
    for (int i = 3; i < argc; i += 2) {
        if (i + 1 >= argc)
            return std::nullopt;
        const std::string_view option = argv[i];
        QString* target = option == "--copie"  ? &options.copyFolder
                          : option == "--json" ? &options.jsonPath
                          : option == "--fhir" ? &options.fhirPath
                                               : nullptr;
        if (target == nullptr || !target->isEmpty() || argv[i + 1][0] == '\0')
            return std::nullopt;
        *target = QString::fromLocal8Bit(argv[i + 1]);
    }
    // One standard output cannot carry two documents.
    if (options.jsonPath == QStringLiteral("-") && options.fhirPath == QStringLiteral("-"))
        return std::nullopt;
    return options;
}

int run(int argc, char** argv)
{
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (command == "init-store" && argc == 3) {
        kelvora::admin::initStore(argv[2]);
        return 0;
    }
    if (command == "demo" && argc == 3) {
        kelvora::admin::layOutDemo(argv[2]);
        std::cout << "Installation de démonstration prête dans " << argv[2] << '\n';
        return 0;
    }
    const auto options =
        command == "lecture" && argc >= 3 ? lectureOptions(argc, argv) : std::nullopt;
    if (options) {
        // What the reading writes in the shared folders is for the group kelvora only, as
        // with the program.
        ::umask(007);
        // The reading's network and card calls need Qt's event loop, and only this command.
        QCoreApplication app(argc, argv);
        return kelvora::admin::runLecture(QString::fromLocal8Bit(argv[2]), std::cin, std::cout,
                                          std::cerr, *options);
    }
    if (command == "sql" && argc == 4) {
        kelvora::admin::runSql(argv[2], argv[3], std::cout);
        return 0;
    }
    if (command == "--help" && argc == 2) {
        std::cout << kUsage;
        return 0;
    }
    std::cerr << kUsage;
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return run(argc, argv);
    } catch (const std::filesystem::filesystem_error& e) {
        std::cerr << "kelvora-admin : erreur sur le fichier " << e.path1().string() << " : "
                  << e.code().message() << '\n';
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "kelvora-admin : erreur : " << e.what() << '\n';
        return 1;
    }
}
