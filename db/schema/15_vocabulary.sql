-- The fixed deal-status vocabulary; the codes are the ones the deals carry.
INSERT INTO Statuses (StatusID, Name) VALUES
    (4, 'Recoil'),
    (3, 'Checked'),
    (2, 'Manual'),
    (1, 'Replacement'),
    (0, 'Non Checked'),
    (-1, 'Deleted'),
    (-2, 'Faulty'),
    (-4, 'Service');
