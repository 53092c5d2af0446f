#pragma once

#include <QObject>

class ScratchFolderTest : public QObject {
    Q_OBJECT
private slots:
    void createdFolderCarriesTheMark();
    void foreignFolderIsNeitherTakenNorRemoved();
    void markedFolderIsRemovedWithAllContent();
    void removalDoesNotFollowLinks();
    void linkNamedLikeTheFolderIsLeftAlone();
    void audioEditorCreationRemovesOnlyAMarkedFolder();
};
