// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DropTargets.h"

#include "app/Audition.h"
#include "app/Controls.h"
#include "app/ConversionProgress.h"
#include "app/Document.h"
#include "app/EditPath.h"
#include "app/FormatsModule.h"
#include "app/GrooveCommands.h"
#include "app/Operation.h"
#include "app/PadPanel.h"
#include "app/Services.h"
#include "app/Text.h"
#include "app/ZoneCommands.h"
#include "app/ZoneListPanel.h"
#include "audio/SampleStream.h"
#include "formats/KitFormats.h"
#include "kit/FolderKit.h"
#include "kit/LayerOrder.h"
#include "kit/ZoneFiles.h"
#include "platform/Files.h"
#include "ui/CellTableView.h"

#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QUrl>
#include <QWidget>
#include <algorithm>

namespace padsmith {

namespace {

// A kit script starts with its format tag, "vst samples,", whatever its name.
bool startsLikeKitScript(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    QByteArray head = file.read(32);
    if (head.startsWith("\xEF\xBB\xBF")) {
        head.remove(0, 3);
    }
    return head.startsWith(QByteArray(kFormatTag) + ',');
}

QStringList localPaths(const QMimeData* data) {
    QStringList paths;
    if (data == nullptr) {
        return paths;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            paths.append(url.toLocalFile());
        }
    }
    return paths;
}

QString nativeList(const QStringList& paths) {
    QStringList native;
    for (const QString& path : paths) {
        native.append(QDir::toNativeSeparators(path));
    }
    return native.join('\n');
}

int firstEmptyPad(const KitDocument& kit) {
    for (int pad = 0; pad < kPadCount; ++pad) {
        if (kit.pads[static_cast<std::size_t>(pad)].empty()) {
            return pad;
        }
    }
    return -1;
}

} // namespace

DropTargets::DropTargets(Services services) : QObject(&services.window), s_(std::move(services)) {}

void DropTargets::run(CommandId id, int /*index*/) {
    if (id == CommandId::NewKitFromFolder) {
        newKitFromFolder();
    }
}

DropTargets::Target DropTargets::targetAt(const QPoint& windowPosition) const {
    CellTableView* list = s_.zones.view();
    QWidget& window = s_.window;
    for (QWidget* widget = window.childAt(windowPosition); widget != nullptr && widget != &window;
         widget = widget->parentWidget()) {
        if (const auto* button = qobject_cast<PadButton*>(widget)) {
            return {Target::Kind::Pad, button->pad()};
        }
        for (int pad = 0; pad < kPadCount; ++pad) {
            if (widget == s_.pads.label(pad)) {
                return {Target::Kind::Pad, pad};
            }
        }
        if (widget == list) {
            const QPoint at = list->viewport()->mapFrom(&window, windowPosition);
            const int row = at.y() >= 0 ? list->rowAt(at.y()) : -1;
            return row >= 0 ? Target{Target::Kind::Row, row} : Target{Target::Kind::ListEnd, -1};
        }
    }
    return {};
}

void DropTargets::dragMove(QDragMoveEvent* event) {
    if (localPaths(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    // A copy whatever the modifiers: with Shift held a file manager would otherwise propose a
    // move and delete the files once the drop is taken.
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void DropTargets::drop(QDropEvent* event) {
    const QStringList paths = localPaths(event->mimeData());
    if (paths.isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    if (operationRunning()) {
        return;
    }
    const OperationScope operation;
    dropFiles(paths, targetAt(event->position().toPoint()), event->modifiers());
    s_.commandsChanged();
}

void DropTargets::dropFiles(const QStringList& paths, Target target,
                            Qt::KeyboardModifiers modifiers) {
    QStringList folders;
    QStringList kits;
    QStringList samples;
    QStringList grooves;
    QStringList encoded; // audio files the plug-in cannot play as they are
    QStringList refused;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.isDir()) {
            folders.append(path);
        } else if (startsLikeKitScript(path)) {
            kits.append(path);
        } else if (isPlayableSample(toFsPath(path))) {
            samples.append(path);
        } else if (info.suffix().compare(QStringLiteral("txt"), Qt::CaseInsensitive) == 0) {
            // Meant as a kit: the kit reader says why it is none.
            kits.append(path);
        } else if (GrooveCommands::isGrooveFile(path)) {
            grooves.append(path);
        } else if (isAudioFileName(toStd(info.fileName()))) {
            encoded.append(path);
        } else {
            refused.append(path);
        }
    }
    Origins origins;
    QStringList undecodable;
    if (!encoded.isEmpty() && !decode(encoded, samples, origins, undecodable)) {
        return;
    }
    if (samples.isEmpty() && kits.isEmpty() && folders.isEmpty() && !grooves.isEmpty()) {
        s_.playGroove(grooves.constFirst());
        return;
    }
    refused += grooves;
    if (samples.isEmpty() && !kits.isEmpty()) {
        s_.document.dropFiles({QDir::toNativeSeparators(kits.constFirst())});
        return;
    }
    if (samples.isEmpty() && !folders.isEmpty()) {
        newKitFromFolder(folders.constFirst());
        return;
    }
    // Among samples, kit scripts and folders are not taken either.
    if (!samples.isEmpty()) {
        refused += kits + folders;
        addSamples(samples, origins, target, modifiers);
    }
    if (!refused.isEmpty() || !undecodable.isEmpty()) {
        QStringList lines = undecodable;
        if (!refused.isEmpty()) {
            lines.prepend(nativeList(refused));
        }
        messageBox(MessageButtons::Ok, MessageIcon::Warning,
                   QStringLiteral("These files are not samples the plug-in can play and were "
                                  "not added:\n") +
                       lines.join('\n'));
    }
}

bool DropTargets::decode(const QStringList& files, QStringList& samples, Origins& origins,
                         QStringList& undecodable) {
    QString missing;
    formats::KitFormats* formats = s_.formats.formats(missing);
    if (formats == nullptr) {
        for (const QString& file : files) {
            undecodable.append(QDir::toNativeSeparators(file) + QStringLiteral(": ") + missing);
        }
        return true;
    }
    std::vector<std::filesystem::path> paths;
    for (const QString& file : files) {
        paths.push_back(toFsPath(file));
    }
    std::vector<formats::PlayableSource> decoded;
    {
        setBusyCursor(true);
        ConversionProgress progress(&s_.window, QStringLiteral("Decoding"), true);
        decoded =
            formats->decodeSamples(paths, userCacheFolder(), [&progress](int done, int total) {
                return progress.step(done, total);
            });
        setBusyCursor(false);
        if (progress.canceled()) {
            return false;
        }
    }
    for (std::size_t i = 0; i < decoded.size(); ++i) {
        const QString& file = files[static_cast<qsizetype>(i)];
        if (decoded[i].ok()) {
            const QString copy = fromStd(decoded[i].path.string());
            samples.append(copy);
            origins.insert(copy, file);
        } else {
            undecodable.append(QDir::toNativeSeparators(file) + QStringLiteral(": ") +
                               fromStd(decoded[i].problem));
        }
    }
    return true;
}

void DropTargets::addSamples(const QStringList& samples, const Origins& origins, Target target,
                             Qt::KeyboardModifiers modifiers) {
    KitDocument& kit = s_.kit;
    const bool onPad = target.kind == Target::Kind::Pad || target.kind == Target::Kind::Window;
    int pad = target.kind == Target::Kind::Pad ? target.index : kit.currentPad;
    const int row = target.kind == Target::Kind::Row ? target.index : -1;
    if (onPad && modifiers.testFlag(Qt::ControlModifier)) {
        pad = firstEmptyPad(kit);
        if (pad < 0) {
            messageBox(MessageButtons::Ok, MessageIcon::Warning,
                       QStringLiteral("No pad is empty: the samples were not added."));
            return;
        }
    }
    std::vector<std::filesystem::path> files;
    DecodedFrom decodedFrom;
    for (const QString& sample : samples) {
        files.push_back(toFsPath(QDir::toNativeSeparators(sample)));
        if (const auto origin = origins.constFind(sample); origin != origins.constEnd()) {
            decodedFrom[files.back()] = toFsPath(QDir::toNativeSeparators(*origin));
        }
    }
    // File-name order, numbers as numbers: "v2" before "v10".
    std::stable_sort(files.begin(), files.end(),
                     [](const std::filesystem::path& a, const std::filesystem::path& b) {
                         return naturalLess(a.filename().string(), b.filename().string());
                     });
    if (pad != kit.currentPad) {
        s_.pads.selectPad(pad, 0);
    }
    const bool layers = onPad && modifiers.testFlag(Qt::ShiftModifier);
    s_.zoneCommands.importFiles(row, files, layers,
                                layers ? "Drop Velocity Layers" : "Drop Samples", decodedFrom);
    s_.audition.preview(files.front().string());
}

void DropTargets::newKitFromFolder(const QString& given) {
    Document& document = s_.document;
    if (document.askSaveChanges() == AnswerCancel) {
        return;
    }
    QString folder = given;
    if (folder.isEmpty()) {
        folder = dialogs().browseForFolder(
            &s_.window, QString(), QStringLiteral("Choose a folder of samples for the new kit"));
        if (folder.isEmpty()) {
            return;
        }
    }
    std::vector<std::string> unplayable;
    setBusyCursor(true);
    int looked = 0;
    const std::vector<FolderSample> samples =
        listFolderSamples(toFsPath(folder), isPlayableSample, unplayable, [&looked] {
            // A big library takes a while: the window repaints meanwhile.
            if (++looked % 16 == 0) {
                pumpMessages();
            }
        });
    setBusyCursor(false);
    if (samples.empty()) {
        messageBox(MessageButtons::Ok, MessageIcon::Warning,
                   QStringLiteral("No sample the plug-in can play was found in %1.")
                       .arg(QDir::toNativeSeparators(folder)));
        return;
    }
    QStringList notPlayable;
    for (const std::string& file : unplayable) {
        notPlayable.append(fromStd(file));
    }
    FolderKitPlan plan = planFolderKit(samples);
    if (!dialogs().confirmFolderKit(&s_.window, plan, notPlayable)) {
        return;
    }
    // The save question was answered before the folder was chosen; a kit the user chose not
    // to save is not asked about again.
    s_.kit.setModified(false);
    if (!document.newKit()) {
        return;
    }
    KitDocument filled = s_.kit;
    fillKitFromPlan(filled, plan);
    KitEdit edit;
    edit.name = "New Kit from Folder";
    for (int pad = 0; pad < kPadCount; ++pad) {
        const auto p = static_cast<std::size_t>(pad);
        if (!(filled.pads[p] == s_.kit.pads[p])) {
            edit.changes.push_back({pad, s_.kit.pads[p], filled.pads[p]});
        }
    }
    s_.edits.apply(std::move(edit));
    s_.pads.selectPad(0, 0);
}

} // namespace padsmith
