-- The live items of active parts of one order, in key order; the same answer
-- as the embedded procedure of this name.
CREATE FUNCTION SP_QBX_CON_LIS_PED_ITEM_OLT1(in_pedido numeric)
    RETURNS TABLE ("DATA_EMBARQUE" timestamp, "PECA_ID" integer, "PEDIDO_ID" integer, "PEDIDO_ITEM_ID" integer,
                   "QTDE_PEDIDA" integer, "TAB_STATUS_ID" integer, "COD_PECA" text) LANGUAGE plpgsql AS $$
DECLARE
    v_pedido integer := Infra_Inteiro(in_pedido);
BEGIN
    RETURN QUERY
    SELECT PEDIDO_ITEM.DATA_EMBARQUE, PEDIDO_ITEM.PECA_ID, PEDIDO_ITEM.PEDIDO_ID, PEDIDO_ITEM.PEDIDO_ITEM_ID,
           PEDIDO_ITEM.QTDE_PEDIDA, PEDIDO_ITEM.TAB_STATUS_ID, PECA.COD_PECA
      FROM PEDIDO_ITEM JOIN PECA ON PECA.PECA_ID = PEDIDO_ITEM.PECA_ID
     WHERE PEDIDO_ITEM.PEDIDO_ID = v_pedido
       AND PEDIDO_ITEM.TAB_STATUS_ID IN (509, 510)
       AND PECA.TAB_STATUS_ID = 1
     ORDER BY PEDIDO_ITEM.PEDIDO_ITEM_ID;
END
$$;
